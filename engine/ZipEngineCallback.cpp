#include "ZipEngineInternal.h"

#include "Interrupts.h"

#include <algorithm>
#include <cstring>

using zipengine::CharacterPrefix;
using zipengine::FromEngine;
using zipengine::LimitedPrefix;

namespace {

// Copies the characters without a NUL; returns how many were copied.
std::size_t CopyChars(const QByteArray &bytes, char *target) {
    std::copy(bytes.cbegin(), bytes.cend(), target);
    return static_cast<std::size_t>(bytes.size());
}

// Messages whose handlers may show a box: the window is brought up to date
// before it, whatever the interval says.
bool MayAskTheUser(std::int32_t code) {
    switch (code) {
    case ENGINE_MSG_REPLACE:
    case ENGINE_MSG_PASSWORD:
    case ENGINE_MSG_FILE_COMMENT:
    case ENGINE_MSG_NEW_DISK:
    case ENGINE_MSG_SKIPPING:
        return true;
    default:
        return false;
    }
}

// The first 80 characters, however many bytes they take.
QByteArray PasswordBytes(const QString &password) {
    return LimitedPrefix(CharacterPrefix(password.toUtf8(), ENGINE_PASSWORD_MAX),
                         ENGINE_PASSWORD_CAPACITY - 1);
}

void RunMessagePump(bool always) {
    auto &state = zipengine::MessagePump();
    if (!state.pump)
        return;
    using Clock = std::chrono::steady_clock;
    if (!always && state.hasRun && Clock::now() - state.lastRun < state.interval)
        return;
    state.pump();
    // Counted from the end of the run: a pump that waited (a menu held open)
    // is not followed at once by another.
    state.hasRun = true;
    state.lastRun = Clock::now();
}

} // namespace

QDateTime TZipEngine::DosDateTimeToDateTime(std::uint32_t packed) {
    // The local time costs more than the rest of a record together, and an
    // operation reports each entry twice or more (its name, then its
    // progress): the last conversion is kept.
    thread_local std::uint32_t lastPacked = 0;
    thread_local QDateTime lastDateTime;
    thread_local bool converted = false;
    if (converted && packed == lastPacked)
        return lastDateTime;
    const int year = static_cast<int>(packed >> 25) + 1980;
    const int month = static_cast<int>((packed >> 21) & 0x0Fu);
    const int day = static_cast<int>((packed >> 16) & 0x1Fu);
    const int hour = static_cast<int>((packed >> 11) & 0x1Fu);
    const int minute = static_cast<int>((packed >> 5) & 0x3Fu);
    const int second = 2 * static_cast<int>(packed & 0x1Fu);
    // Archives written by careless tools carry impossible stamps; they must
    // not stop a listing, so they simply have no date.
    QDateTime dateTime;
    if (QDate::isValid(year, month, day) && QTime::isValid(hour, minute, second))
        dateTime = QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::LocalTime);
    lastPacked = packed;
    lastDateTime = dateTime;
    converted = true;
    return dateTime;
}

TZipFileStats TZipEngine::ConvertRecord(const EngineFileRecord &record) {
    TZipFileStats stats;
    stats.FileName = FromEngine(record.FileName);
    stats.Size = record.Size;
    stats.CompressedSize = record.CompressedSize;
    stats.EngineValue1 = record.EngineValue1;
    stats.Attributes = static_cast<std::uint8_t>(record.Attributes & 0x3Fu);
    stats.DateTime = DosDateTimeToDateTime(record.DosDateTime);
    stats.EngineValue2 = record.EngineValue2;
    stats.Ratio = record.Ratio;
    stats.PercentDone = record.PercentDone;
    stats.EngineByte = record.EngineByte;
    stats.EngineFlag = record.EngineFlag != 0;
    if (record.Comment != nullptr && record.CommentLength > 0)
        stats.Comment = QString::fromUtf8(record.Comment, record.CommentLength);
    return stats;
}

std::int32_t TZipEngine::EngineCallback(std::int32_t code, void *data, void *user) {
    auto *engine = static_cast<TZipEngine *>(user);
    if (engine == nullptr)
        return 1;
    // The engine was told to stop after the first failure or a signal;
    // whatever it still sends is not acted on.
    if (engine->handlerError_ || zipengine::PendingInterrupt() != 0)
        return 1;
    try {
        const std::int32_t reply = engine->Dispatch(code, data);
        // A signal during a prompt: its answer is not used.
        return zipengine::PendingInterrupt() != 0 ? 1 : reply;
    } catch (...) {
        engine->handlerError_ = std::current_exception();
        return 1;
    }
}

std::int32_t TZipEngine::Dispatch(std::int32_t code, void *data) {
    RunMessagePump(MayAskTheUser(code));

    // Raises a file-record event; the record is read only when someone
    // listens.
    const auto raiseStats = [&](const TZipFileStatsEvent &event) {
        if (event)
            event(*this, ConvertRecord(*static_cast<const EngineFileRecord *>(data)));
    };

    switch (code) {
    case ENGINE_MSG_REPLACE:
        if (OnReplace) {
            auto *query = static_cast<EngineReplaceQuery *>(data);
            TZipReplace replace{FromEngine(query->FileName), QString(), query->DoReplace};
            OnReplace(*this, replace);
            const QByteArray reply =
                LimitedPrefix(replace.ReplyText.toUtf8(), ENGINE_REPLY_TEXT_CAPACITY - 1);
            query->ReplyText[CopyChars(reply, query->ReplyText)] = '\0';
            query->DoReplace = replace.DoReplace;
        }
        break;
    case ENGINE_MSG_TESTING:
        raiseStats(OnTesting);
        break;
    case ENGINE_MSG_EXTRACTING:
        raiseStats(OnExtracting);
        break;
    case ENGINE_MSG_COUNT:
        lastCount_ = *static_cast<const std::int32_t *>(data);
        break;
    case ENGINE_MSG_READ_ONLY:
        readOnlyType_ = FromEngine(static_cast<const char *>(data));
        break;
    case ENGINE_MSG_LISTING:
        raiseStats(OnListing);
        break;
    case ENGINE_MSG_ENTRY:
        lastEntry_ = ConvertRecord(*static_cast<const EngineFileRecord *>(data));
        break;
    case ENGINE_MSG_PASSWORD: {
        auto *query = static_cast<EnginePasswordQuery *>(data);
        if (!Password.isEmpty()) {
            QByteArray password = PasswordBytes(Password);
            query->Password[CopyChars(password, query->Password)] = '\0';
            zipengine::Wipe(password);
            query->Reply = 2;
        } else if (OnPwdQuery) {
            TZipPwdQuery pwdQuery{FromEngine(query->FileName), QString(), query->Reply};
            OnPwdQuery(*this, pwdQuery);
            QByteArray password = PasswordBytes(pwdQuery.Password);
            query->Password[CopyChars(password, query->Password)] = '\0';
            zipengine::Wipe(password);
            pwdQuery.Password.fill(QChar(0));
            query->Reply = pwdQuery.Reply;
        }
        break;
    }
    case ENGINE_MSG_NEW_DISK:
        if (OnNewdisk)
            OnNewdisk(*this, *static_cast<const std::int32_t *>(data));
        break;
    case ENGINE_MSG_FILE_COMMENT:
        if (OnFileComment) {
            auto *query = static_cast<EngineFileCommentQuery *>(data);
            TZipFileComment comment{FromEngine(query->FileName), QString()};
            OnFileComment(*this, comment);
            const QByteArray text =
                LimitedPrefix(comment.Comment.toUtf8(), ENGINE_COMMENT_CAPACITY);
            query->Length = static_cast<std::uint8_t>(CopyChars(text, query->Comment));
        }
        break;
    case ENGINE_MSG_ARCHIVE_COMMENT: {
        const auto *delivered = static_cast<const EngineArchiveComment *>(data);
        auto &store = zipengine::SharedComment();
        // One byte beyond the cap is looked at only to avoid cutting a
        // UTF-8 sequence in half.
        const qsizetype available =
            std::min<qsizetype>(delivered->Length, ENGINE_ARCHIVE_COMMENT_CAPACITY + 1);
        const QByteArray text =
            delivered->Text == nullptr
                ? QByteArray()
                : LimitedPrefix(CharacterPrefix(QByteArray(delivered->Text, available),
                                                ENGINE_ARCHIVE_COMMENT_CHARS),
                                ENGINE_ARCHIVE_COMMENT_CAPACITY);
        store.length = static_cast<std::uint16_t>(CopyChars(text, store.chars));
        break;
    }
    case ENGINE_MSG_COMMENT_WANTED: {
        auto *request = static_cast<EngineCommentRequest *>(data);
        const auto &store = zipengine::SharedComment();
        std::memcpy(request->Buffer, store.chars, store.length);
        request->Length = store.length;
        request->Done = 1;
        break;
    }
    case ENGINE_MSG_UPDATING:
        raiseStats(OnUpdating);
        break;
    case ENGINE_MSG_ADDING:
        raiseStats(OnAdding);
        break;
    case ENGINE_MSG_DELETING:
        if (OnDeleting)
            OnDeleting(*this, FromEngine(static_cast<const char *>(data)));
        break;
    case ENGINE_MSG_STATUS:
        raiseStats(OnStatus);
        break;
    case ENGINE_MSG_SKIPPING:
        if (OnSkippingFile) {
            const auto *report = static_cast<const EngineSkipReport *>(data);
            OnSkippingFile(*this, TZipSkipping{FromEngine(report->FileName), report->Reason});
        }
        break;
    case ENGINE_MSG_FIXING:
        if (OnFixing)
            OnFixing(*this, FromEngine(static_cast<const char *>(data)));
        break;
    default:
        break;
    }
    return Abort ? 1 : 0;
}
