/*
 * The call contract between the engine component and the two engine
 * libraries, libzipeng32.so (entry point "zipeng") and libunzeng32.so
 * (entry point "unzeng").
 *
 * This header is plain C with no dependencies: the structures below are the
 * wire format of the callback messages, with pointers at their natural width
 * and natural C alignment. Nobody computes offsets by hand.
 */
#ifndef TARNWICK_ENGINE_CONTRACT_H
#define TARNWICK_ENGINE_CONTRACT_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* First argument of every entry-point call. */
#define ENGINE_MAGIC 100

/* Module and entry-point names as the component asks for them. */
#define ENGINE_ZIP_MODULE "ZIPENG32.DLL"
#define ENGINE_UNZIP_MODULE "UNZENG32.DLL"
#define ENGINE_ZIP_ENTRY "zipeng"
#define ENGINE_UNZIP_ENTRY "unzeng"

/* Returns 1 to ask the engine to stop, 0 to let it go on. */
typedef int32_t (*EngineCallback)(int32_t code, void *data, void *user);

/*
 * The entry point. The low 16 bits of the result are the result code, the
 * high 16 bits a secondary code. argc == 1 is the query form: argv[0] points
 * to an int32_t selector and argv[1] to the archive path.
 */
typedef int32_t (*EngineEntryPoint)(int32_t magic, int32_t argc, char **argv, EngineCallback cb,
                                    void *user);

int32_t zipeng(int32_t magic, int32_t argc, char **argv, EngineCallback cb, void *user);
int32_t unzeng(int32_t magic, int32_t argc, char **argv, EngineCallback cb, void *user);

/* Query-form selectors (argc == 1). k >= 1 asks for entry k (message 90). */
#define ENGINE_QUERY_COUNT 0
#define ENGINE_QUERY_COUNT_MULTIDISK 1234567890

/* Callback message codes. */
enum {
    ENGINE_MSG_REPLACE = 10,          /* EngineReplaceQuery */
    ENGINE_MSG_TESTING = 50,          /* EngineFileRecord */
    ENGINE_MSG_EXTRACTING = 60,       /* EngineFileRecord */
    ENGINE_MSG_COUNT = 70,            /* int32_t entry count */
    ENGINE_MSG_LISTING = 80,          /* EngineFileRecord */
    ENGINE_MSG_ENTRY = 90,            /* EngineFileRecord (query answer) */
    ENGINE_MSG_PASSWORD = 100,        /* EnginePasswordQuery */
    ENGINE_MSG_NEW_DISK = 110,        /* int32_t disk number, 0 = last disk */
    ENGINE_MSG_FILE_COMMENT = 120,    /* EngineFileCommentQuery */
    ENGINE_MSG_ARCHIVE_COMMENT = 130, /* EngineArchiveComment */
    ENGINE_MSG_COMMENT_WANTED = 140,  /* EngineCommentRequest */
    ENGINE_MSG_READ_ONLY = 150,       /* data is the NUL-terminated name of the format */
    ENGINE_MSG_UPDATING = 1000,       /* EngineFileRecord */
    ENGINE_MSG_ADDING = 1010,         /* EngineFileRecord */
    ENGINE_MSG_DELETING = 1020,       /* data is the NUL-terminated name */
    ENGINE_MSG_STATUS = 1030,         /* EngineFileRecord, PercentDone */
    ENGINE_MSG_SKIPPING = 1060,       /* EngineSkipReport */
    ENGINE_MSG_FIXING = 1070          /* data is the NUL-terminated name */
};

/* Capacities of the reply buffers the engine hands to the callback. */
#define ENGINE_REPLY_TEXT_CAPACITY 256 /* message 10, including the NUL */
/* Message 100: 80 characters of up to four bytes each in UTF-8, and a NUL. */
#define ENGINE_PASSWORD_MAX 80 /* characters */
#define ENGINE_PASSWORD_CAPACITY (4 * ENGINE_PASSWORD_MAX + 1)
#define ENGINE_COMMENT_CAPACITY 255 /* message 120, no NUL */
/* Messages 130 and 140: the archive comment holds up to 255 characters,
 * each up to four bytes in UTF-8. */
#define ENGINE_ARCHIVE_COMMENT_CHARS 255
#define ENGINE_ARCHIVE_COMMENT_CAPACITY (4 * ENGINE_ARCHIVE_COMMENT_CHARS) /* no NUL */

/* Attribute bits of EngineFileRecord.Attributes. */
enum {
    ENGINE_ATTR_READONLY = 0x01,
    ENGINE_ATTR_HIDDEN = 0x02,
    ENGINE_ATTR_SYSTEM = 0x04,
    ENGINE_ATTR_VOLUME = 0x08,
    ENGINE_ATTR_DIRECTORY = 0x10,
    ENGINE_ATTR_ARCHIVE = 0x20
};

/*
 * The per-entry record of messages 50, 60, 80, 90, 1000, 1010 and 1030.
 * Size and CompressedSize carry the low 32 bits of the true 64-bit sizes;
 * EngineValue1 and EngineValue2 carry their high 32 bits.
 */
typedef struct EngineFileRecord {
    const char *FileName;   /* NUL-terminated, "/" separators */
    int32_t Size;           /* uncompressed size, low 32 bits */
    int32_t CompressedSize; /* compressed size, low 32 bits */
    int32_t EngineValue1;   /* high 32 bits of Size */
    uint8_t Attributes;     /* ENGINE_ATTR_* bits 0 to 5 */
    uint8_t Reserved[3];
    uint32_t DosDateTime;  /* MS-DOS date (high 16 bits) and time (low 16) */
    int32_t EngineValue2;  /* high 32 bits of CompressedSize */
    uint8_t Ratio;         /* space saved, percent */
    uint8_t PercentDone;   /* progress of the current item, percent */
    uint8_t EngineByte;    /* libunzeng32: how the data is packed, ENGINE_PACKED_* */
    uint8_t EngineFlag;    /* non-zero: true; libunzeng32: the entry is encrypted */
    const char *Comment;   /* entry comment, need not be NUL-terminated */
    uint8_t CommentLength; /* 0 to 255 */
} EngineFileRecord;

/*
 * EngineByte of libunzeng32's records: how the entry's data is packed.
 * Bit 7 clear: the compression method, 127 for 127 and above. Bit 7 set:
 * WinZip AES, with the key length in bits 5-6 (1: 128, 2: 192, 3: 256 bits)
 * and the compression method inside in bits 0-4 (methods 0 to 20 as they
 * are, 93 to 98 as 21 to 26, 31 for any other).
 */
#define ENGINE_PACKED_AES 0x80
#define ENGINE_PACKED_OTHER 31

static inline uint8_t engine_packed_method(uint16_t method, uint8_t aesStrength) {
    if (aesStrength == 0 || aesStrength > 3)
        return (uint8_t)(method < 127 ? method : 127);
    uint8_t inner = method <= 20                     ? (uint8_t)method
                    : (method >= 93 && method <= 98) ? (uint8_t)(method - 72)
                                                     : ENGINE_PACKED_OTHER;
    return (uint8_t)(ENGINE_PACKED_AES | (aesStrength << 5) | inner);
}

/* The compression method of a packed byte; -1 when it cannot be told. */
static inline int32_t engine_packed_compression(uint8_t packed) {
    if (!(packed & ENGINE_PACKED_AES))
        return packed == 127 ? -1 : packed;
    uint8_t inner = packed & 0x1f;
    if (inner <= 20)
        return inner;
    return inner <= 26 ? inner + 72 : -1;
}

/* The AES key length in bits of a packed byte, 0 for other entries. */
static inline uint32_t engine_packed_aes_bits(uint8_t packed) {
    return (packed & ENGINE_PACKED_AES) ? 64u + 64u * ((packed >> 5) & 3u) : 0u;
}

/* Message 10: an existing file is about to be replaced. */
typedef struct EngineReplaceQuery {
    const char *FileName;
    char *ReplyText;   /* ENGINE_REPLY_TEXT_CAPACITY bytes */
    uint8_t DoReplace; /* in: engine's proposal; out: 1 replace, 0 keep */
} EngineReplaceQuery;

/* Message 100: a password is needed. */
typedef struct EnginePasswordQuery {
    const char *FileName;
    char *Password; /* ENGINE_PASSWORD_CAPACITY bytes */
    uint8_t Reply;  /* 0: no password given */
} EnginePasswordQuery;

/* Message 120: the comment of an entry is wanted. */
typedef struct EngineFileCommentQuery {
    const char *FileName;
    char *Comment; /* ENGINE_COMMENT_CAPACITY bytes, no NUL written */
    uint8_t Length;
} EngineFileCommentQuery;

/* Message 130: the archive comment, delivered by the engine. */
typedef struct EngineArchiveComment {
    const char *Text;
    uint16_t Length;
} EngineArchiveComment;

/*
 * Message 150: the archive is of another format than ZIP (tar and its
 * compressions, 7-Zip, RAR, ISO 9660, cpio, a single compressed file) and
 * can only be read. libunzeng32 sends it, with the format's name as the
 * user knows it ("tar.gz", "7-Zip"), before message 70 of a count query and
 * before the first message 80 of a listing; for a ZIP archive it is never
 * sent. Such archives report their packed sizes as equal to their sizes,
 * since none of these formats records what one entry takes packed.
 */

/* Message 140: the new archive comment, fetched by the engine. */
typedef struct EngineCommentRequest {
    char *Buffer;    /* ENGINE_ARCHIVE_COMMENT_CAPACITY bytes, no NUL written */
    uint16_t Length; /* out: bytes written */
    int32_t Done;    /* out: 1 */
} EngineCommentRequest;

/* Message 1060: an entry or file was passed over. */
typedef struct EngineSkipReport {
    const char *FileName;
    uint8_t Reason; /* ENGINE_SKIP_* */
} EngineSkipReport;

enum {
    ENGINE_SKIP_NOT_FOUND = 0,
    ENGINE_SKIP_UNKNOWN_METHOD = 1,
    ENGINE_SKIP_BAD_CRC = 2,
    ENGINE_SKIP_UP_TO_DATE = 3,
    ENGINE_SKIP_CANNOT_OPEN = 4,
    ENGINE_SKIP_PASSWORD = 5,
    ENGINE_SKIP_CORRUPTED = 6
};

/*
 * Result codes (low 16 bits of the entry point's result). 240 and -1 are
 * produced by the component itself, never by an engine; 130 by the component
 * and, for the one refusal it cannot see, by libzipeng32.
 *
 * What libzipeng32 returns beyond the common codes:
 *   130  "-!" (a multi-disk set): the archive already has entries, or is a
 *        set already, or the mode is freshen or update; a set is only ever
 *        written new;
 *   150  the disk is full (without "-!"; with it the next disk is asked for
 *        with message 110);
 *   190  the callback answered 1 (for "-!": also to message 110; the pieces
 *        written so far are removed).
 *
 * What libunzeng32 returns:
 *   0    success;
 *   10   file elements were given and none matched an entry (each unmatched
 *        element is reported with message 1060, reason 0); also a query for
 *        an entry beyond the count;
 *   40   some entries were skipped, each reported with message 1060;
 *   100  the archive does not exist;
 *   110  a damaged ZIP archive: its directory is damaged or missing, or
 *        entries overlap;
 *   120  out of memory;
 *   150  the target disk is full (extraction stops at once);
 *   190  the callback answered 1 (with "-!", also to message 110 asking
 *        for a piece of the set);
 *   200  test: at least one entry failed;
 *   210  test: the archive holds no entries;
 *   400  the archive or the target folder cannot be opened;
 *   410  the archive is one piece of a multi-disk set and "-!" was absent;
 *   420  the file is no archive of any format libunzeng32 reads;
 *   500  the argument vector makes no sense.
 */
enum {
    ENGINE_OK = 0,
    ENGINE_NOTHING_MATCHED = 10, /* no entry or file matched the names */
    ENGINE_COMPLETED_30 = 30,    /* completed, nothing to report */
    ENGINE_SOME_SKIPPED = 40,    /* some files were skipped, each reported */
    ENGINE_ARCHIVE_NOT_FOUND = 100,
    ENGINE_BAD_ARCHIVE = 110, /* not a ZIP archive or unreadable directory */
    ENGINE_NO_MEMORY = 120,
    ENGINE_MULTIDISK_REFUSED = 130, /* component: not in multidisk mode */
    ENGINE_COMPLETED_140 = 140,
    ENGINE_DISK_FULL = 150,
    ENGINE_CORRUPTED = 160,
    ENGINE_BUSY = 180, /* another application does a similar task */
    ENGINE_ABORTED = 190,
    ENGINE_TEST_FAILED = 200,
    ENGINE_NOTHING_TESTED = 210,
    ENGINE_NOT_LOADED = 240, /* component: engine library missing */
    ENGINE_TEMP_FILE = 280,
    ENGINE_REMOVES_PARENT = 350,  /* "-m" would delete the current folder */
    ENGINE_DUPLICATE_NAMES = 370, /* names repeat after dropping paths */
    ENGINE_NO_DATE = 380,         /* archive empty or only folders */
    ENGINE_NOT_ACCESSIBLE = 400,
    ENGINE_SPANNED = 410,      /* one disk of a set, "-!" not given */
    ENGINE_NOT_ARCHIVE = 420,  /* no archive of any format read */
    ENGINE_BAD_ARGUMENTS = 500 /* the argument vector makes no sense */
};

#ifdef __cplusplus
}
#endif

#endif
