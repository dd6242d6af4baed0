// The rows of FilesLb: one compact record per archive entry, in row text
// order ignoring case (the order of a sorted list box) unless the user sorts
// by a column. Each of the seven columns gives its cell's
// text and, under SortRole, a typed value; texts are made when they are asked for, never stored, so
// that a listing of a million entries holds little more than their names.
#pragma once

#include <QAbstractTableModel>
#include <QByteArrayView>
#include <QLocale>
#include <QStringList>

#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

struct TZipFileStats;

class TRowListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The columns in FilesHd's section order.
    enum Column {
        NameColumn,
        DateColumn,
        TimeColumn,
        SizeColumn,
        PackedColumn,
        RatioColumn,
        PathColumn
    };
    // A cell's value for ordering: the file-name and folder parts as texts,
    // the date with its time as a QDateTime, the time of day as a QTime,
    // sizes as qint64 and the ratio as an int. An undated entry gives an
    // invalid value under Date and Time.
    static constexpr int SortRole = Qt::UserRole + 1;

    explicit TRowListModel(QObject *parent = nullptr);
    ~TRowListModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    // Qt::DisplayRole: the cell's text; SortRole: its value.
    QVariant data(const QModelIndex &index, int role) const override;
    // Orders the rows by one column's values (names and folders ignoring
    // case), rows of equal value in row text order; column -1 goes back to
    // row text order. The order chosen outlives Clear and every listing
    // until it is changed again.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int SortColumn() const { return sortColumn_; }
    Qt::SortOrder SortOrder() const { return sortOrder_; }

    // A listing: BeginListing empties the list, AddEntry collects entries in
    // engine order without showing them, EndListing puts them in order and
    // shows them all at once. `expected` is the engine's entry count, a hint
    // only.
    void BeginListing(const QLocale &locale, std::int64_t expected);
    void AddEntry(const TZipFileStats &entry);
    void EndListing();
    void Clear();

    int Count() const { return static_cast<int>(rows_.size()); }
    QModelIndex RowIndex(int row) const { return index(row, NameColumn); }
    // The six tab-separated fields of the row (stored name, date, time,
    // size, packed size, ratio with "%").
    QString RowText(int row) const;
    QString StoredName(int row) const;
    // The same in UTF-8, valid until the list is cleared.
    QByteArrayView StoredNameUtf8(int row) const;
    // The row's entry's position in the archive's directory, counted from 1:
    // the order in which the listing reported it.
    std::int32_t Position(int row) const;

private:
    // What a row shows, without its texts. The name lives in the name store.
    struct Entry {
        static constexpr std::int32_t NoDate = std::numeric_limits<std::int32_t>::min();
        // FileStart of a name whose folder part is too long to be kept here.
        static constexpr std::uint16_t FarFileStart = 0xFFFF;

        const char *Name = nullptr; // UTF-8, in the name store
        std::int64_t Size = 0;
        std::int64_t Packed = 0;
        std::int32_t Day = NoDate;    // Julian day of the local date
        std::int32_t Msecs = 0;       // of the local time of day
        std::uint32_t NameLength = 0; // bytes
        std::int32_t Position = 0;
        std::uint32_t Rank = 0;      // place in row text order
        std::uint16_t FileStart = 0; // bytes of the folder part and its "/"
        std::uint8_t Ratio = 0;

        QString StoredName() const {
            return QString::fromUtf8(Name, static_cast<qsizetype>(NameLength));
        }
        std::uint32_t FileOffset() const;
    };
    class NameStore;

    QString RowTextOf(const Entry &entry) const;
    QString CellText(const Entry &entry, int column) const;
    QVariant CellValue(const Entry &entry, int column) const;
    bool RowLess(const Entry &a, const Entry &b) const;
    void Arrange(std::vector<Entry> &rows) const;
    template <typename TextOf> void SortByText(std::vector<Entry> &rows, TextOf textOf) const;

    std::vector<Entry> rows_;
    std::vector<Entry> listing_;
    std::unique_ptr<NameStore> names_;
    QLocale locale_;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};
