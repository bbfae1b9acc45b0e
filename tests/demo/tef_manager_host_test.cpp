// The TEF manager simulator the demo starts ends with the demo: a host killed (SIGKILL) in the
// middle of a card payment leaves no manager running, and the answer the manager owed reaches
// the till as a failure, so nothing is charged that the till never recorded.

#include "support/Eventually.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

namespace {

using zel::test::ended;
using zel::test::eventually;

// Whether the process runs: a zombie (ended, not yet reaped by whoever adopted it) does not.
bool running(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    const QByteArray text = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
    const qsizetype after = text.lastIndexOf(')');
    return after > 0 && after + 2 < text.size() && text.at(after + 2) != 'Z' && text.at(after + 2) != 'X';
}

TEST(ManagerOfAKilledHost, EndsWithItAndWithdrawsWhatItOwed)
{
    QTemporaryDir dir;
    const QString tef = dir.filePath(QStringLiteral("tef"));
    QProcess host;
    host.start(QStringLiteral(ZEL_TEF_MANAGER_HOST), {QStringLiteral(ZEL_TEF_MANAGER_SIM_PATH), tef,
                                                      QStringLiteral(R"({"default": {"action": "silent"}})"),
                                                      dir.filePath(QStringLiteral("rules.json"))});
    QByteArray said;
    ASSERT_TRUE(zel::test::awaitOutput(host, said, "manager ") && zel::test::awaitOutput(host, said, "\n"))
        << said.toStdString() << host.readAllStandardError().toStdString();
    const qint64 manager = said.mid(said.indexOf("manager ") + 8).trimmed().toLongLong();
    ASSERT_TRUE(running(manager));

    // A card payment as the till asks for it, written aside and renamed into place; a silent
    // manager takes it and owes the answer.
    QFile request(tef + QStringLiteral("/req/intpos.001.tmp"));
    ASSERT_TRUE(request.open(QIODevice::WriteOnly));
    request.write("000-000 = CRT\r\n001-000 = 41\r\n002-000 = \r\n003-000 = 1250\r\n999-999 = 0\r\n");
    request.close();
    ASSERT_TRUE(request.rename(tef + QStringLiteral("/req/intpos.001")));
    ASSERT_TRUE(eventually([&] {
        QFile status(tef + QStringLiteral("/resp/intpos.sts"));
        return status.open(QIODevice::ReadOnly) && status.readAll().contains("001-000 = 41\r\n");
    })) << "the manager did not take the payment request";

    ASSERT_EQ(::kill(static_cast<pid_t>(host.processId()), SIGKILL), 0);
    ASSERT_TRUE(ended(host));
    const bool endedWithHost = eventually([&] { return !running(manager); });
    if (!endedWithHost)
        ::kill(static_cast<pid_t>(manager), SIGKILL);
    ASSERT_TRUE(endedWithHost) << "the manager outlived its host";

    QFile response(tef + QStringLiteral("/resp/intpos.001"));
    ASSERT_TRUE(response.open(QIODevice::ReadOnly)) << "the owed answer was not withdrawn";
    const QByteArray answer = response.readAll();
    EXPECT_TRUE(answer.startsWith("000-000 = XXX\r\n001-000 = 41\r\n")) << answer.toStdString();
    EXPECT_TRUE(answer.contains("030-000 = Gerenciador TEF encerrado\r\n")) << answer.toStdString();
}

} // namespace
