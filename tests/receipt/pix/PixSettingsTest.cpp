// The Pix settings of the receipt's group: what each kind needs, and the addresses the till may
// send its credentials to.

#include "receipt/pix/PixSettings.h"

#include "receipt/payment/ReceiptSettings.h"
#include "receipt/pix/PixProviderMessages.h"
#include "support/QStringPrinter.h"

#include <QMap>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace zel::pix {
namespace {

// A provider's complete settings; each row changes some of them.
QMap<QString, QString> providerSettings()
{
    return {{"PixUrl", "https://pix.example.com/api/v2"},
            {"PixTokenUrl", "https://auth.example.com/oauth/token"},
            {"PixClientId", "caixa-1"},
            {"PixClientSecret", " segredo "},
            {"PixChave", "recebedor@example.com"}};
}

struct SettingsCase
{
    const char* name;
    QMap<QString, QString> changes; // an empty value removes the key
    const char* code;               // empty: read
    const char* named = "";         // the key or address the error names
};

class PixSettingsRead : public ::testing::TestWithParam<SettingsCase>
{
protected:
    Result<PixSettings> read()
    {
        QSettings store(m_dir.filePath("settings.ini"), QSettings::IniFormat);
        QMap<QString, QString> values = providerSettings();
        for (auto it = GetParam().changes.begin(); it != GetParam().changes.end(); ++it) {
            if (it.value().isEmpty())
                values.remove(it.key());
            else
                values[it.key()] = it.value();
        }
        for (auto it = values.begin(); it != values.end(); ++it)
            store.setValue(settingKey(it.key()), it.value());
        return readPixSettings(store);
    }

    QTemporaryDir m_dir;
};

TEST_P(PixSettingsRead, NeedsWhatItsKindNeeds)
{
    const auto settings = read();
    if (QByteArray(GetParam().code).isEmpty()) {
        ASSERT_TRUE(settings.ok()) << settings.errorMessage().toStdString();
        EXPECT_EQ(settings->staticCode, !settings->provider.has_value());
        return;
    }
    ASSERT_FALSE(settings.ok());
    EXPECT_EQ(settings.errorCode(), GetParam().code);
    EXPECT_TRUE(settings.errorMessage().contains(GetParam().named)) << settings.errorMessage().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PixSettingsRead,
    ::testing::Values(
        SettingsCase{"Provider", {}, ""},
        SettingsCase{
            "LoopbackHttpForTheSimulator",
            {{"PixUrl", "http://127.0.0.1:8080/v2"}, {"PixTokenUrl", "http://localhost:8080/oauth/token"}},
            ""},
        SettingsCase{"LoopbackIpv6", {{"PixUrl", "http://[::1]:8080/v2"}}, ""},
        SettingsCase{"StaticCodeWithoutProvider",
                     {{"PixEstatico", "S"},
                      {"PixUrl", ""},
                      {"PixTokenUrl", ""},
                      {"PixClientId", ""},
                      {"PixClientSecret", ""},
                      {"PixNomeRecebedor", "Restaurante"},
                      {"PixCidadeRecebedor", "Recife"}},
                     ""},
        SettingsCase{"NoKey", {{"PixChave", ""}}, "PixConfigFalta", "PixChave"},
        SettingsCase{"NoUrl", {{"PixUrl", ""}}, "PixConfigFalta", "PixUrl"},
        SettingsCase{"NoTokenUrl", {{"PixTokenUrl", ""}}, "PixConfigFalta", "PixTokenUrl"},
        SettingsCase{"NoClientId", {{"PixClientId", ""}}, "PixConfigFalta", "PixClientId"},
        SettingsCase{"NoSecret", {{"PixClientSecret", ""}}, "PixConfigFalta", "PixClientSecret"},
        SettingsCase{"StaticWithoutName",
                     {{"PixEstatico", "S"}, {"PixCidadeRecebedor", "Recife"}},
                     "PixConfigFalta",
                     "PixNomeRecebedor"},
        SettingsCase{"StaticWithoutCity",
                     {{"PixEstatico", "s"}, {"PixNomeRecebedor", "Restaurante"}},
                     "PixConfigFalta",
                     "PixCidadeRecebedor"},
        SettingsCase{"PlainHttpAcrossTheNetwork",
                     {{"PixUrl", "http://pix.example.com/v2"}},
                     "PixEnderecoInseguro",
                     "PixUrl"},
        SettingsCase{"PlainHttpToAnAddressNamedLikeLoopback",
                     {{"PixTokenUrl", "http://127.0.0.1.example.com/t"}},
                     "PixEnderecoInseguro",
                     "PixTokenUrl"},
        SettingsCase{"NotAnAddress", {{"PixUrl", "pix.example.com"}}, "PixEnderecoInvalido", "PixUrl"},
        SettingsCase{"CredentialsInTheAddress",
                     {{"PixUrl", "https://user:pw@pix.example.com/v2"}},
                     "PixEnderecoInvalido",
                     "PixUrl"},
        SettingsCase{"ExpiryNotANumber", {{"PixExpiracao", "5min"}}, "PixConfigExpiracao", "5min"},
        SettingsCase{"ExpiryZero", {{"PixExpiracao", "0"}}, "PixConfigExpiracao", "0"},
        SettingsCase{"ExpiryPastADay", {{"PixExpiracao", "86401"}}, "PixConfigExpiracao", "86401"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PixSettingsValues, ExpiryAndSecretAsWritten)
{
    QTemporaryDir dir;
    QSettings store(dir.filePath("settings.ini"), QSettings::IniFormat);
    const QMap<QString, QString> values = providerSettings();
    for (auto it = values.begin(); it != values.end(); ++it)
        store.setValue(settingKey(it.key()), it.value());
    store.setValue(settingKey("PixExpiracao"), "600");
    const auto settings = readPixSettings(store);
    ASSERT_TRUE(settings.ok() && settings->provider) << settings.errorMessage().toStdString();
    EXPECT_EQ(settings->provider->expirySeconds, 600);
    EXPECT_EQ(settings->provider->clientSecret, values["PixClientSecret"]);
    EXPECT_EQ(settings->provider->apiUrl, QUrl(values["PixUrl"]));
}

TEST(PixSettingsValues, ExpiryDefaultsToFiveMinutes)
{
    QTemporaryDir dir;
    QSettings store(dir.filePath("settings.ini"), QSettings::IniFormat);
    const QMap<QString, QString> values = providerSettings();
    for (auto it = values.begin(); it != values.end(); ++it)
        store.setValue(settingKey(it.key()), it.value());
    const auto settings = readPixSettings(store);
    ASSERT_TRUE(settings.ok()) << settings.errorMessage().toStdString();
    EXPECT_EQ(settings->expirySeconds, 300);
}

} // namespace
} // namespace zel::pix
