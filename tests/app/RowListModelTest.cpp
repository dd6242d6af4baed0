// The rows' columns: what each cell shows and the value it orders by.
#include "RowListModel.h"

#include "ZipEngine.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <string>
#include <vector>

namespace {

struct ScopedTimeLocale {
    // The dates follow the C library's locale formats; in the C locale the
    // day stays visible in the narrow Date column.
    ScopedTimeLocale() : previous(std::setlocale(LC_TIME, nullptr)) {
        std::setlocale(LC_TIME, "C");
    }
    ~ScopedTimeLocale() { std::setlocale(LC_TIME, previous.c_str()); }
    std::string previous;
};

TZipFileStats Stats(const QString &name, const QDateTime &when) {
    TZipFileStats entry;
    entry.FileName = name;
    entry.DateTime = when;
    return entry;
}

QStringList Row(const TRowListModel &model, int row, int role) {
    QStringList cells;
    for (int column = 0; column < model.columnCount(); ++column) {
        const QVariant value = model.data(model.index(row, column), role);
        cells << (value.isValid() ? value.toString() : QStringLiteral("-"));
    }
    return cells;
}

} // namespace

TEST(RowListModelTest, EachColumnShowsItsFieldAndOrdersByItsValue) {
    const ScopedTimeLocale cLocale;
    TZipFileStats big =
        Stats(QStringLiteral("big/disk.img"), QDateTime(QDate(2024, 5, 17), QTime(13, 45, 30)));
    big.Size = 1;            // low 32 bits of 4 GiB + 1
    big.EngineValue1 = 1;    // high 32 bits
    big.CompressedSize = -2; // 0xFFFFFFFE
    big.EngineValue2 = 0;
    big.Ratio = 100;
    QLocale locale = QLocale::c();
    locale.setNumberOptions(QLocale::DefaultNumberOptions);

    TRowListModel model;
    model.BeginListing(locale, 3);
    model.AddEntry(Stats(QStringLiteral("plain.txt"), QDateTime()));
    model.AddEntry(big);
    model.AddEntry(Stats(QStringLiteral("/top.txt"), QDateTime(QDate(1999, 1, 2), QTime(3, 4))));
    model.EndListing();

    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.columnCount(), 7);
    EXPECT_EQ(Row(model, 0, Qt::DisplayRole),
              (QStringList{"top.txt", "01/02/99", "03:04:00", "0", "0", "0%", "/"}));
    EXPECT_EQ(Row(model, 1, Qt::DisplayRole),
              (QStringList{"disk.img", "05/17/24", "13:45:30", "4,294,967,297", "4,294,967,294",
                           "100%", "big"}));
    EXPECT_EQ(Row(model, 2, Qt::DisplayRole),
              (QStringList{"plain.txt", "", "", "0", "0", "0%", ""}));
    EXPECT_EQ(
        model.RowText(1),
        QStringLiteral("big/disk.img\t05/17/24\t13:45:30\t4,294,967,297\t4,294,967,294\t100%"));
    EXPECT_EQ(model.Position(1), 2);

    const auto value = [&](int row, int column) {
        return model.data(model.index(row, column), TRowListModel::SortRole);
    };
    EXPECT_EQ(value(1, TRowListModel::DateColumn).toDateTime(),
              QDateTime(QDate(2024, 5, 17), QTime(13, 45, 30)));
    EXPECT_EQ(value(1, TRowListModel::TimeColumn).toTime(), QTime(13, 45, 30));
    EXPECT_EQ(value(1, TRowListModel::SizeColumn).toLongLong(), 4294967297LL);
    EXPECT_EQ(value(1, TRowListModel::PackedColumn).toLongLong(), 4294967294LL);
    EXPECT_EQ(value(1, TRowListModel::RatioColumn).toInt(), 100);
    EXPECT_FALSE(value(2, TRowListModel::DateColumn).toDateTime().isValid());
    EXPECT_FALSE(value(2, TRowListModel::TimeColumn).toTime().isValid());
}

TEST(RowListModelTest, EachColumnSortsByValueBothWaysTiesInRowTextOrder) {
    struct Listed {
        const char *name;
        std::int32_t size, packed;
        QDateTime when;
        int ratio;
    };
    const std::vector<Listed> listed = {
        {"d/BETA.txt", 100000, 10, QDateTime(QDate(2018, 3, 3), QTime(12, 0)), 99},
        {"C/beta.txt", 9, 9, QDateTime(), 0},
        {"b/Zed.txt", 900, 900, QDateTime(QDate(2020, 1, 1), QTime(10, 0)), 0},
        {"a/alpha.txt", 10000, 5000, QDateTime(QDate(2019, 6, 1), QTime(23, 0)), 50},
    };
    TRowListModel model;
    const auto list = [&] {
        model.BeginListing(QLocale::c(), 4);
        for (const Listed &l : listed) {
            TZipFileStats entry = Stats(QString::fromUtf8(l.name), l.when);
            entry.Size = l.size;
            entry.CompressedSize = l.packed;
            entry.Ratio = static_cast<std::uint8_t>(l.ratio);
            model.AddEntry(entry);
        }
        model.EndListing();
    };
    const auto folders = [&] {
        QString order;
        for (int row = 0; row < model.Count(); ++row)
            order += model.StoredName(row).at(0);
        return order;
    };
    list();
    EXPECT_EQ(folders(), QStringLiteral("abCd"));
    struct Case {
        int column;
        const char *ascending;
    };
    for (const Case &c : std::vector<Case>{{TRowListModel::NameColumn, "aCdb"},
                                           {TRowListModel::DateColumn, "Cdab"},
                                           {TRowListModel::TimeColumn, "Cbda"},
                                           {TRowListModel::SizeColumn, "Cbad"},
                                           {TRowListModel::PackedColumn, "Cdba"},
                                           {TRowListModel::RatioColumn, "bCad"},
                                           {TRowListModel::PathColumn, "abCd"}}) {
        SCOPED_TRACE(c.column);
        model.sort(c.column, Qt::AscendingOrder);
        EXPECT_EQ(folders(), QString::fromLatin1(c.ascending));
        model.sort(c.column, Qt::DescendingOrder);
        QString descending = QString::fromLatin1(c.ascending);
        std::reverse(descending.begin(), descending.end());
        EXPECT_EQ(folders(), descending);
    }
    // The order chosen holds for the next listing, until row text order
    // is asked for again.
    model.sort(TRowListModel::SizeColumn, Qt::AscendingOrder);
    model.Clear();
    list();
    EXPECT_EQ(folders(), QStringLiteral("Cbad"));
    model.sort(-1);
    EXPECT_EQ(folders(), QStringLiteral("abCd"));
}
