#include "Settings.h"

#include "ProfileStore.h"
#include "ZipEngine.h"
#include "platform/Paths.h"

const std::array<const char *, ColumnCount> ColumnKeys{"Name",   "Date",  "Time", "Size",
                                                       "Packed", "Ratio", "Path"};

namespace {

const QString SettingsSection = QStringLiteral("Settings");
const QString ColumnsSection = QStringLiteral("Columns");

QString Text(const TProfileStore &store, const char *key, const QString &defaultValue, int limit) {
    return store.ReadString(SettingsSection, QString::fromLatin1(key), defaultValue).left(limit);
}

int Integer(const TProfileStore &store, const char *key, int defaultValue) {
    return store.ReadInteger(SettingsSection, QString::fromLatin1(key), defaultValue);
}

bool Flag(const TProfileStore &store, const char *key, bool defaultValue) {
    return store.ReadFlag(SettingsSection, QString::fromLatin1(key), defaultValue);
}

void DropTrailingSlash(QString &folder) {
    if (folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
}

} // namespace

TSettings ReadSettings(const TProfileStore &store) {
    const TSettings defaults;
    TSettings s;
    s.LastDirectory = Text(store, "LastDirectory", QString(), TextSettingLimit);
    s.CompressionLevel = Integer(store, "CompressionLevel", defaults.CompressionLevel);
    s.ConfirmRemove = Flag(store, "ConfirmRemove", defaults.ConfirmRemove);
    s.ConfirmExtract = Flag(store, "ConfirmExtract", defaults.ConfirmExtract);
    s.ConfirmAdd = Flag(store, "ConfirmAdd", defaults.ConfirmAdd);
    s.TempFolder = Text(store, "TempFolder", QString(), TextSettingLimit);
    if (s.TempFolder.isEmpty()) {
        s.TempFolder = platform::TempPath().left(TextSettingLimit);
        DropTrailingSlash(s.TempFolder);
    }
    s.OnTop = Flag(store, "OnTop", defaults.OnTop);
    s.UseTempFile = Flag(store, "UseTempFile", defaults.UseTempFile);
    s.Password = Text(store, "Password", QString(), PasswordLimit);
    s.CloseBrowser = Flag(store, "CloseBrowser", defaults.CloseBrowser);
    s.MouseAction = Integer(store, "MouseAction", defaults.MouseAction);
    s.ClearDisk = Flag(store, "ClearDisk", defaults.ClearDisk);
    s.IncludeHidden = Flag(store, "IncludeHidden", defaults.IncludeHidden);
    s.MoveFiles = Flag(store, "MoveFiles", defaults.MoveFiles);
    s.StorePath = Flag(store, "StorePath", defaults.StorePath);
    s.Recurse = Flag(store, "Recurse", defaults.Recurse);
    s.StoredExt = Text(store, "StoredExt", defaults.StoredExt, TextSettingLimit);
    s.Overwrite = Integer(store, "Overwrite", defaults.Overwrite);
    if (s.Overwrite == -1)
        s.Overwrite = 2;
    s.DefaultExtractPath = Text(store, "DefaultExtractPath", QString(), TextSettingLimit);
    s.ExtractPath = Flag(store, "ExtractPath", defaults.ExtractPath);
    s.ExtractMethod = Integer(store, "ExtractMethod", defaults.ExtractMethod);
    s.Encryption = Integer(store, "Encryption", defaults.Encryption);
    s.StoreSymlinks = Flag(store, "StoreSymlinks", defaults.StoreSymlinks);
    s.AskPassword = Flag(store, "AskPassword", defaults.AskPassword);
    // Stored back this way, so the next save writes the folder without it.
    DropTrailingSlash(s.TempFolder);
    return s;
}

TColumnWidths ReadColumnWidths(const TProfileStore &store) {
    TColumnWidths widths = DefaultColumnWidths;
    for (int k = 0; k < ColumnCount; ++k)
        widths[k] = store.ReadInteger(ColumnsSection, QString::fromLatin1(ColumnKeys[k]),
                                      DefaultColumnWidths[k]);
    return widths;
}

void WriteSettings(TProfileStore &store, const TSettings &s, const TColumnWidths &widths) {
    auto integer = [&](const char *key, int value) {
        store.WriteInteger(SettingsSection, QString::fromLatin1(key), value);
    };
    auto flag = [&](const char *key, bool value) {
        store.WriteFlag(SettingsSection, QString::fromLatin1(key), value);
    };
    auto text = [&](const char *key, const QString &value) {
        store.WriteString(SettingsSection, QString::fromLatin1(key), value);
    };
    integer("CompressionLevel", s.CompressionLevel);
    flag("ConfirmRemove", s.ConfirmRemove);
    flag("ConfirmExtract", s.ConfirmExtract);
    flag("ConfirmAdd", s.ConfirmAdd);
    text("TempFolder", s.TempFolder);
    flag("OnTop", s.OnTop);
    flag("UseTempFile", s.UseTempFile);
    text("Password", s.Password);
    flag("CloseBrowser", s.CloseBrowser);
    integer("MouseAction", s.MouseAction);
    flag("ClearDisk", s.ClearDisk);
    flag("IncludeHidden", s.IncludeHidden);
    flag("MoveFiles", s.MoveFiles);
    flag("StorePath", s.StorePath);
    flag("Recurse", s.Recurse);
    text("StoredExt", s.StoredExt);
    integer("Overwrite", s.Overwrite);
    text("DefaultExtractPath", s.DefaultExtractPath);
    flag("ExtractPath", s.ExtractPath);
    if (!s.LastDirectory.isEmpty())
        text("LastDirectory", s.LastDirectory);
    integer("ExtractMethod", s.ExtractMethod);
    // Ours, after the designed keys: a file that never had it stays as the
    // design writes it, until the user chooses something else.
    if (s.Encryption != TSettings().Encryption ||
        !store.ReadString(SettingsSection, QStringLiteral("Encryption"), QString()).isEmpty())
        integer("Encryption", s.Encryption);
    if (s.StoreSymlinks != TSettings().StoreSymlinks ||
        !store.ReadString(SettingsSection, QStringLiteral("StoreSymlinks"), QString()).isEmpty())
        flag("StoreSymlinks", s.StoreSymlinks);
    if (s.AskPassword != TSettings().AskPassword ||
        !store.ReadString(SettingsSection, QStringLiteral("AskPassword"), QString()).isEmpty())
        flag("AskPassword", s.AskPassword);
    for (int k = 0; k < ColumnCount; ++k)
        store.WriteInteger(ColumnsSection, QString::fromLatin1(ColumnKeys[k]), widths[k]);
}

void ApplySettingsToEngine(const TSettings &s, TZipEngine &engine) {
    ApplyOverwriteSetting(s.Overwrite, engine);
    // Only the low byte of the level reaches the engine.
    engine.Compression = static_cast<TZipCompressionLevel>(s.CompressionLevel & 0xFF);
    engine.ClearDisks = s.ClearDisk;
    engine.UseTempFile = s.UseTempFile;
    engine.TempPath = s.TempFolder;
    engine.StoredExtensions = s.StoredExt;
    engine.Recurse = s.Recurse;
    engine.MoveFiles = s.MoveFiles;
    engine.IncludeHiddenFiles = s.IncludeHidden;
    engine.Password = s.Password;
    ApplyEncryptionSetting(s.Encryption, engine);
    engine.StoreSymlinks = s.StoreSymlinks;
}

void ApplyEncryptionSetting(int encryption, TZipEngine &engine) {
    engine.Encryption = encryption == EncryptionAes256 ? zenAes256 : zenZipCrypto;
}

void ApplyOverwriteSetting(int overwrite, TZipEngine &engine) {
    switch (overwrite) {
    case 0:
        engine.Overwrite = zowNever;
        break;
    case 1:
        engine.Overwrite = zowAlways;
        break;
    case 2:
        engine.Overwrite = zowAsk;
        break;
    default:
        break;
    }
}
