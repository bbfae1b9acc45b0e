#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace zel {

// One IntPos file of the TEF exchange: one field per line, "nnn-nnn = value", lines ending
// with CR LF, the last one "999-999 = 0". Text is Latin-1.
class IntPosFile
{
public:
    struct Field
    {
        QString key; // "000-000"
        QString value;
    };

    // Reads any text: lines without the field form are kept as they are and can be told
    // apart with isWellFormed().
    static IntPosFile parse(const QByteArray& bytes);

    void add(const QString& key, const QString& value) { m_lines << key + QStringLiteral(" = ") + value; }
    void addEnd() { add(QStringLiteral("999-999"), QStringLiteral("0")); }
    QByteArray toBytes() const;

    const QList<QString>& lines() const { return m_lines; }
    // The value of the first line whose text before the first "=" is the key and one
    // blank, trimmed; nothing when no line has the key.
    std::optional<QString> find(const QString& key) const;
    QString value(const QString& key) const { return find(key).value_or(QString()); }
    bool has(const QString& key) const { return find(key).has_value(); }
    QString header() const { return value(QStringLiteral("000-000")); }
    QString sequence() const { return value(QStringLiteral("001-000")); }

    // The last line is the end field: the writer has finished.
    bool isComplete() const;
    // Every line has the field form.
    bool isWellFormed() const;

private:
    QList<QString> m_lines;
};

// The file at `path` read and parsed; nothing when it cannot be read, is not a regular file
// (a link, a FIFO, a folder: never opened in a way that waits) or is over intpos::kMaxFileBytes.
std::optional<IntPosFile> readIntPosFile(const QString& path);
// Writes `bytes` to a new temporary file beside `path` (created exclusively, mode 0660) and
// renames it into place, so a reader never sees half a file and a link planted at `path` is
// replaced, not followed.
bool writeFileWhole(const QString& path, const QByteArray& bytes);

// Makes the exchange folders `dir` (ending with "/"), `dir`req and `dir`resp when missing, each
// with mode 0770 set explicitly (the till's account and the manager's group only), and checks
// that none of them is open to every user without the sticky bit. False with `why` otherwise.
bool makeExchangeFolders(const QString& dir, QString* why);

// Field keys used by the simulator.
namespace intpos {
inline constexpr qint64 kMaxFileBytes = 256 * 1024; // no IntPos file is larger
inline const QString kHeader = QStringLiteral("000-000");
inline const QString kSequence = QStringLiteral("001-000");
inline const QString kCoupon = QStringLiteral("002-000");
inline const QString kAmount = QStringLiteral("003-000");
inline const QString kStatus = QStringLiteral("009-000");
inline const QString kNsu = QStringLiteral("012-000");
inline const QString kAuthorization = QStringLiteral("013-000");
inline const QString kTarget = QStringLiteral("027-000"); // the approval a CNF or NCN is about
inline const QString kReceiptCount = QStringLiteral("028-000");
inline const QString kMessage = QStringLiteral("030-000");
QString receiptLineKey(int n); // "029-001" for the first line
} // namespace intpos

} // namespace zel
