// Writes a picture of the whole X screen (the display in $DISPLAY) to the file named.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
    return !shot.isNull() && shot.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
