#include "platform/IoError.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace platform;

TEST(IoErrorTest, ErrnoMapsToTheDesignedNumbersAndTexts) {
    const struct {
        int errnoValue;
        int number;
        const char *text;
    } cases[] = {
        {ENOENT, 2, "File not found"},
        {ENOTDIR, 3, "Invalid filename"},
        {ENAMETOOLONG, 3, "Invalid filename"},
        {EINVAL, 3, "Invalid filename"},
        {EMFILE, 4, "Too many open files"},
        {ENFILE, 4, "Too many open files"},
        {EACCES, 5, "File access denied"},
        {EPERM, 5, "File access denied"},
        {EROFS, 5, "File access denied"},
        {ENOSPC, 101, "Disk full"},
        {EIO, EIO, "I/O error 5"},
        {EBUSY, EBUSY, "I/O error 16"},
    };
    for (const auto &c : cases) {
        const IoErrorText e = IoErrorFromErrno(c.errnoValue);
        EXPECT_EQ(e.number, c.number) << c.errnoValue;
        EXPECT_EQ(e.message.toStdString(), c.text) << c.errnoValue;
    }
}

TEST(IoErrorTest, DesignedNumbersHaveTheirTexts) {
    EXPECT_EQ(IoErrorMessage(100), "Read beyond end of file");
    EXPECT_EQ(IoErrorMessage(106), "Invalid numeric input");
    EXPECT_EQ(IoErrorMessage(103), "I/O error 103");
    const IoError error = IoError::fromErrno(ENOENT);
    EXPECT_STREQ(error.what(), "File not found");
    EXPECT_EQ(error.number(), 2);
}
