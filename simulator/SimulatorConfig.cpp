#include "SimulatorConfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

namespace zel {

namespace {

// Reads one JSON object strictly, collecting the first error.
class ObjectReader
{
public:
    ObjectReader(QJsonObject object, QString where) : m_object(std::move(object)), m_where(std::move(where))
    {
    }

    bool boolean(const QString& key, bool fallback)
    {
        const QJsonValue v = take(key);
        if (v.isUndefined())
            return fallback;
        if (!v.isBool())
            fail(key, QStringLiteral("must be true or false"));
        return v.toBool(fallback);
    }

    int integer(const QString& key, int fallback, int min, int max)
    {
        const QJsonValue v = take(key);
        if (v.isUndefined())
            return fallback;
        const double d = v.toDouble(-1e300);
        if (!v.isDouble() || d != double(qint64(d)) || d < min || d > max) {
            fail(key, QStringLiteral("must be a whole number from %1 to %2").arg(min).arg(max));
            return fallback;
        }
        return int(d);
    }

    // false, true ("always"), "once" or "always".
    Fault fault(const QString& key)
    {
        const QJsonValue v = take(key);
        if (v.isUndefined() || v == QJsonValue(false))
            return {};
        if (v == QJsonValue(true) || v == QJsonValue(QStringLiteral("always")))
            return Fault::always();
        if (v == QJsonValue(QStringLiteral("once")))
            return Fault::once();
        fail(key, QStringLiteral("must be false, true, \"once\" or \"always\""));
        return {};
    }

    QString text(const QString& key, const QString& fallback)
    {
        const QJsonValue v = take(key);
        if (v.isUndefined())
            return fallback;
        if (!v.isString())
            fail(key, QStringLiteral("must be a text"));
        return v.toString(fallback);
    }

    QStringList texts(const QString& key)
    {
        const QJsonValue v = take(key);
        QStringList list;
        if (v.isUndefined())
            return list;
        if (!v.isArray()) {
            fail(key, QStringLiteral("must be a list of texts"));
            return list;
        }
        for (const QJsonValue item : v.toArray()) {
            if (!item.isString()) {
                fail(key, QStringLiteral("must be a list of texts"));
                return {};
            }
            list << item.toString();
        }
        return list;
    }

    ObjectReader object(const QString& key)
    {
        const QJsonValue v = take(key);
        if (!v.isUndefined() && !v.isObject())
            fail(key, QStringLiteral("must be an object"));
        return ObjectReader(v.toObject(), path(key));
    }

    // Any key nobody read is an error: a misspelt setting must not be ignored silently.
    void finish()
    {
        if (!m_object.isEmpty())
            fail(m_object.keys().first(), QStringLiteral("is not a known setting"));
    }

    void adopt(const ObjectReader& inner)
    {
        if (m_error.isEmpty())
            m_error = inner.m_error;
    }

    const QString& error() const { return m_error; }

private:
    QJsonValue take(const QString& key) { return m_object.take(key); }
    QString path(const QString& key) const
    {
        return m_where.isEmpty() ? key : m_where + QLatin1Char('.') + key;
    }
    void fail(const QString& key, const QString& what)
    {
        if (m_error.isEmpty())
            m_error = QStringLiteral("\"%1\" %2").arg(path(key), what);
    }

    QJsonObject m_object;
    QString m_where;
    QString m_error;
};

QString directory(const QString& baseDir, const QString& path)
{
    if (path.isEmpty())
        return {};
    QString absolute = QDir::cleanPath(QDir(baseDir).absoluteFilePath(path));
    if (!absolute.endsWith(QLatin1Char('/')))
        absolute += QLatin1Char('/');
    return absolute;
}

QJsonValue faultJson(const Fault& fault)
{
    switch (fault.mode) {
    case Fault::Mode::Off:
        return false;
    case Fault::Mode::Once:
        return QStringLiteral("once");
    case Fault::Mode::Always:
        break;
    }
    return true;
}

bool validMovementDate(const QString& text)
{
    return text == QLatin1String("today") || text == QLatin1String("none") ||
           QDate::fromString(text, Qt::ISODate).isValid();
}

} // namespace

QDate SimulatorConfig::movementDateValue() const
{
    if (movementDate == QLatin1String("none"))
        return {};
    if (movementDate == QLatin1String("today"))
        return QDate::currentDate();
    return QDate::fromString(movementDate, Qt::ISODate);
}

Result<SimulatorConfig> SimulatorConfig::fromJson(const QJsonObject& json, const QString& baseDir)
{
    SimulatorConfig c;
    ObjectReader root(json, {});
    c.stateDir = directory(baseDir, root.text(QStringLiteral("stateDir"), QStringLiteral("state")));
    c.dataDir = directory(baseDir, root.text(QStringLiteral("dataDir"), QStringLiteral("data")));

    ObjectReader fiscal = root.object(QStringLiteral("fiscalPrinter"));
    c.fiscalPresent = fiscal.boolean(QStringLiteral("present"), true);
    c.fiscalKind = fiscal.integer(QStringLiteral("kind"), 1, 0, 99);
    c.aliquots = fiscal.texts(QStringLiteral("aliquots"));
    c.movementDate = fiscal.text(QStringLiteral("movementDate"), QStringLiteral("today"));
    ObjectReader faults = fiscal.object(QStringLiteral("faults"));
    c.faults.notReady = faults.fault(QStringLiteral("notReady"));
    c.faults.refuseOpen = faults.fault(QStringLiteral("refuseOpen"));
    c.faults.refuseItem = faults.integer(QStringLiteral("refuseItem"), 0, 0, 100000);
    c.faults.refuseItemTimes = faults.integer(QStringLiteral("refuseItemTimes"), 1, 0, 100000);
    c.faults.refuseAdjustment = faults.fault(QStringLiteral("refuseAdjustment"));
    c.faults.refusePayment = faults.fault(QStringLiteral("refusePayment"));
    c.faults.refuseClose = faults.fault(QStringLiteral("refuseClose"));
    c.faults.refuseCancel = faults.fault(QStringLiteral("refuseCancel"));
    faults.finish();
    fiscal.adopt(faults);
    fiscal.finish();
    root.adopt(fiscal);

    ObjectReader cheque = root.object(QStringLiteral("chequePrinter"));
    c.chequeKind = cheque.integer(QStringLiteral("kind"), 1, 0, 99);
    ObjectReader chequeFaults = cheque.object(QStringLiteral("faults"));
    c.chequeFaults.refuseText = chequeFaults.fault(QStringLiteral("refuseText"));
    c.chequeFaults.refuseCommand = chequeFaults.fault(QStringLiteral("refuseCommand"));
    c.chequeFaults.refuseClose = chequeFaults.fault(QStringLiteral("refuseClose"));
    chequeFaults.finish();
    cheque.adopt(chequeFaults);
    cheque.finish();
    root.adopt(cheque);

    ObjectReader keyboard = root.object(QStringLiteral("keyboard"));
    c.keyboardPresent = keyboard.boolean(QStringLiteral("present"), true);
    keyboard.finish();
    root.adopt(keyboard);

    ObjectReader display = root.object(QStringLiteral("customerDisplay"));
    c.displayPresent = display.boolean(QStringLiteral("present"), true);
    c.displayWidth = display.integer(QStringLiteral("width"), 20, 1, 80);
    display.finish();
    root.adopt(display);

    ObjectReader tef = root.object(QStringLiteral("tef"));
    c.tef.dir = directory(baseDir, tef.text(QStringLiteral("dir"), {}));
    c.tef.letters = tef.text(QStringLiteral("letters"), QStringLiteral("CDQ"));
    c.tef.activityTimeoutMs = tef.integer(QStringLiteral("activityTimeoutMs"), 7000, 0, 600000);
    c.tef.takenTimeoutMs = tef.integer(QStringLiteral("takenTimeoutMs"), 7000, 0, 600000);
    c.tef.sequenceTimeoutMs = tef.integer(QStringLiteral("sequenceTimeoutMs"), 60000, 0, 600000);
    tef.finish();
    root.adopt(tef);
    root.finish();

    if (!root.error().isEmpty())
        return Error{QStringLiteral("Simulator settings: %1.").arg(root.error())};
    if (!validMovementDate(c.movementDate))
        return Error{QStringLiteral("Simulator settings: \"fiscalPrinter.movementDate\" must be \"today\", "
                                    "\"none\" or a date as yyyy-MM-dd, not \"%1\".")
                         .arg(c.movementDate)};
    return c;
}

Result<SimulatorConfig> SimulatorConfig::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Error{
            QStringLiteral("Cannot read the simulator settings %1: %2.").arg(path, file.errorString())};
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return Error{QStringLiteral("The simulator settings %1 are not valid JSON (offset %2): %3.")
                         .arg(path)
                         .arg(parseError.offset)
                         .arg(parseError.errorString())};
    if (!document.isObject())
        return Error{QStringLiteral("The simulator settings %1 must hold one JSON object.").arg(path)};
    auto config = fromJson(document.object(), QFileInfo(path).absolutePath());
    if (!config)
        return Error{path + QStringLiteral(": ") + config.errorMessage()};
    return config;
}

QJsonObject SimulatorConfig::toJson() const
{
    QJsonObject faultsJson{{QStringLiteral("notReady"), faultJson(faults.notReady)},
                           {QStringLiteral("refuseOpen"), faultJson(faults.refuseOpen)},
                           {QStringLiteral("refuseItem"), faults.refuseItem},
                           {QStringLiteral("refuseItemTimes"), faults.refuseItemTimes},
                           {QStringLiteral("refuseAdjustment"), faultJson(faults.refuseAdjustment)},
                           {QStringLiteral("refusePayment"), faultJson(faults.refusePayment)},
                           {QStringLiteral("refuseClose"), faultJson(faults.refuseClose)},
                           {QStringLiteral("refuseCancel"), faultJson(faults.refuseCancel)}};
    QJsonObject chequeFaultsJson{{QStringLiteral("refuseText"), faultJson(chequeFaults.refuseText)},
                                 {QStringLiteral("refuseCommand"), faultJson(chequeFaults.refuseCommand)},
                                 {QStringLiteral("refuseClose"), faultJson(chequeFaults.refuseClose)}};
    QJsonObject fiscal{{QStringLiteral("present"), fiscalPresent},
                       {QStringLiteral("kind"), fiscalKind},
                       {QStringLiteral("aliquots"), QJsonArray::fromStringList(aliquots)},
                       {QStringLiteral("movementDate"), movementDate},
                       {QStringLiteral("faults"), faultsJson}};
    QJsonObject tefJson{{QStringLiteral("dir"), tef.dir},
                        {QStringLiteral("letters"), tef.letters},
                        {QStringLiteral("activityTimeoutMs"), tef.activityTimeoutMs},
                        {QStringLiteral("takenTimeoutMs"), tef.takenTimeoutMs},
                        {QStringLiteral("sequenceTimeoutMs"), tef.sequenceTimeoutMs}};
    return QJsonObject{
        {QStringLiteral("stateDir"), stateDir},
        {QStringLiteral("dataDir"), dataDir},
        {QStringLiteral("fiscalPrinter"), fiscal},
        {QStringLiteral("chequePrinter"),
         QJsonObject{{QStringLiteral("kind"), chequeKind}, {QStringLiteral("faults"), chequeFaultsJson}}},
        {QStringLiteral("keyboard"), QJsonObject{{QStringLiteral("present"), keyboardPresent}}},
        {QStringLiteral("customerDisplay"),
         QJsonObject{{QStringLiteral("present"), displayPresent}, {QStringLiteral("width"), displayWidth}}},
        {QStringLiteral("tef"), tefJson},
    };
}

Status SimulatorConfig::save(const QString& path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Error{
            QStringLiteral("Cannot write the simulator settings %1: %2.").arg(path, file.errorString())};
    file.write(QJsonDocument(toJson()).toJson(QJsonDocument::Indented));
    if (!file.commit())
        return Error{
            QStringLiteral("Cannot write the simulator settings %1: %2.").arg(path, file.errorString())};
    return Status::success();
}

} // namespace zel
