#include "Samples.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLinearGradient>
#include <QPainter>

namespace zel::demo {

namespace {

struct Glyph
{
    const char* file;
    QColor color;
    const char* symbol;
};

// Small pictures for the payment-type buttons, drawn instead of shipped.
const Glyph kGlyphs[] = {
    {"dinheiro.bmp", QColor(0x2e, 0x7d, 0x32), "R$"}, {"credito.bmp", QColor(0x15, 0x65, 0xc0), "CR"},
    {"debito.bmp", QColor(0x00, 0x83, 0x8f), "DB"},   {"cheque.bmp", QColor(0x6d, 0x4c, 0x41), "CH"},
    {"ticket.bmp", QColor(0xef, 0x6c, 0x00), "TK"},   {"dolar.bmp", QColor(0x55, 0x8b, 0x2f), "US$"},
    {"conta.bmp", QColor(0x6a, 0x1b, 0x9a), "CC"},    {"pix.bmp", QColor(0x00, 0xa8, 0x96), "PIX"},
};

bool drawGlyph(const Glyph& g, const QString& path)
{
    QImage image(24, 24, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 255)); // the corner colour is the transparent one
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(g.color);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(1, 3, 22, 18), 4, 4);
    p.setPen(Qt::white);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::strlen(g.symbol) > 2 ? 7 : 9);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(1, 3, 22, 18), Qt::AlignCenter, QString::fromLatin1(g.symbol));
    p.end();
    return image.save(path, "BMP");
}

bool drawBackground(const QString& path)
{
    QImage image(800, 600, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient gradient(0, 0, 0, 600);
    gradient.setColorAt(0, QColor(0xe8, 0xee, 0xf4));
    gradient.setColorAt(1, QColor(0xc9, 0xd6, 0xe3));
    p.fillRect(image.rect(), gradient);
    p.end();
    // Written and read back on every start of the demo: stored without compression (the same
    // pixels), which takes a fraction of the time a compressed picture takes either way.
    return image.save(path, "PNG", 100);
}

bool copyResource(const QString& from, const QString& to)
{
    QFile::remove(to);
    if (!QFile::copy(from, to))
        return false;
    return QFile::setPermissions(to, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

} // namespace

QStringList sampleNames()
{
    return {QStringLiteral("restaurant"), QStringLiteral("counter"), QStringLiteral("buffet"),
            QStringLiteral("pix")};
}

QString writeSample(const QString& name, const QString& dir)
{
    if (!sampleNames().contains(name))
        return {};
    QDir out(dir);
    out.mkpath(QStringLiteral("glyphs"));
    for (const Glyph& g : kGlyphs)
        if (!drawGlyph(g, out.filePath(QStringLiteral("glyphs/") + QLatin1String(g.file))))
            return {};
    if (!drawBackground(out.filePath(QStringLiteral("fundo.png"))))
        return {};
    const QString scenario = out.filePath(name + QStringLiteral(".json"));
    if (!copyResource(QStringLiteral(":/samples/") + name + QStringLiteral(".json"), scenario) ||
        !copyResource(QStringLiteral(":/samples/") + name + QStringLiteral(".script"),
                      out.filePath(name + QStringLiteral(".script"))))
        return {};
    // A sample built on another one ("base") needs that one beside it.
    QFile written(scenario);
    if (!written.open(QIODevice::ReadOnly))
        return {};
    const QString base =
        QJsonDocument::fromJson(written.readAll()).object().value(QStringLiteral("base")).toString();
    if (!base.isEmpty() && !copyResource(QStringLiteral(":/samples/") + base, out.filePath(base)))
        return {};
    return scenario;
}

} // namespace zel::demo
