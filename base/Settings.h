// The settings of section [Settings] and the column widths of [Columns], as
// the main window holds them in memory for the whole run.
#pragma once

#include <QString>

#include <array>

class TProfileStore;
class TZipEngine;

struct TSettings {
    QString LastDirectory;
    int CompressionLevel = 6;
    bool ConfirmRemove = true;
    bool ConfirmExtract = true;
    bool ConfirmAdd = true;
    QString TempFolder;
    bool OnTop = false;
    bool UseTempFile = false;
    QString Password;
    bool CloseBrowser = false;
    int MouseAction = 0;
    bool ClearDisk = true;
    bool IncludeHidden = true;
    bool MoveFiles = false;
    bool StorePath = false;
    bool Recurse = false;
    QString StoredExt = QStringLiteral(".ZIP;.LZH;.ARC;.ARJ;.ZOO");
    int Overwrite = 2;
    QString DefaultExtractPath;
    bool ExtractPath = false;
    int ExtractMethod = 0;
    // Ours: how added entries are encrypted while Password is set
    // (EncryptionZipCrypto or EncryptionAes256; another value is kept and
    // encrypts as ZipCrypto).
    int Encryption = 0;
    // Ours: adding stores a symbolic link as the link, not what it names.
    bool StoreSymlinks = false;
    // Ours: with no Password, an encrypted entry's password is asked for
    // when it is needed.
    bool AskPassword = true;

    bool operator==(const TSettings &) const = default;
};

constexpr int ColumnCount = 7;
using TColumnWidths = std::array<int, ColumnCount>;

// Section titles and [Columns] keys, in section order.
extern const std::array<const char *, ColumnCount> ColumnKeys;
constexpr TColumnWidths DefaultColumnWidths{90, 62, 60, 60, 60, 38, 1096};

constexpr int EncryptionZipCrypto = 0;
constexpr int EncryptionAes256 = 1;

constexpr int TextSettingLimit = 255;
constexpr int PasswordLimit = 80;

// Reads [Settings] with every default and encoding; a missing TempFolder
// becomes the system's temporary folder, and a trailing "/" is dropped.
TSettings ReadSettings(const TProfileStore &store);
TColumnWidths ReadColumnWidths(const TProfileStore &store);

// Writes every key of [Settings] (LastDirectory only when not empty) and
// then [Columns], in the stored order. Throws TProfileWriteError and leaves
// the rest unwritten when the system refuses a write.
void WriteSettings(TProfileStore &store, const TSettings &settings, const TColumnWidths &widths);

// The engine properties that the settings drive at start.
void ApplySettingsToEngine(const TSettings &settings, TZipEngine &engine);

// AES-256 only for EncryptionAes256; any other value is ZipCrypto.
void ApplyEncryptionSetting(int encryption, TZipEngine &engine);

// Overwrite 0 never, 1 always, 2 ask; any other value leaves the engine alone.
void ApplyOverwriteSetting(int overwrite, TZipEngine &engine);
