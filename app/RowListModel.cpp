#include "RowListModel.h"

#include "RowText.h"
#include "Settings.h"
#include "ZipEngine.h"
#include "platform/SystemDate.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <algorithm>
#include <cstring>
#include <limits>
#include <tuple>
#include <utility>

// The names, in UTF-8, in large blocks that never move: one allocation per
// block rather than one per entry, and mostly one byte per character.
class TRowListModel::NameStore {
public:
    // Where the name went and its length in bytes.
    std::pair<const char *, std::uint32_t> Keep(const QString &name) {
        const std::size_t room = 3 * static_cast<std::size_t>(name.size());
        if (blocks_.empty() || BlockSize - used_ < room) {
            // A name is at most 65,535 bytes long; a longer text still gets
            // a block of its own.
            blocks_.push_back(std::make_unique<char[]>(std::max(BlockSize, room)));
            used_ = 0;
        }
        char *const place = blocks_.back().get() + used_;
        char *end = place;
        for (const QChar c : name) {
            if (c.unicode() >= 0x80) {
                const QByteArray utf8 = name.toUtf8();
                end = std::copy(utf8.cbegin(), utf8.cend(), place);
                break;
            }
            *end++ = static_cast<char>(c.unicode());
        }
        const auto length = static_cast<std::size_t>(end - place);
        used_ += length;
        return {place, static_cast<std::uint32_t>(length)};
    }

private:
    static constexpr std::size_t BlockSize = std::size_t(1) << 19;
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t used_ = 0;
};

TRowListModel::TRowListModel(QObject *parent)
    : QAbstractTableModel(parent), names_(std::make_unique<NameStore>()) {
    // A million rows: each byte here is a megabyte.
    static_assert(sizeof(Entry) <= 48);
}

TRowListModel::~TRowListModel() = default;

int TRowListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : Count();
}

int TRowListModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TRowListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= Count() || index.column() >= ColumnCount)
        return QVariant();
    const Entry &entry = rows_[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole)
        return CellText(entry, index.column());
    if (role == SortRole)
        return CellValue(entry, index.column());
    return QVariant();
}

QString TRowListModel::RowText(int row) const {
    return RowTextOf(rows_.at(static_cast<std::size_t>(row)));
}

QString TRowListModel::StoredName(int row) const {
    return rows_.at(static_cast<std::size_t>(row)).StoredName();
}

QByteArrayView TRowListModel::StoredNameUtf8(int row) const {
    const Entry &entry = rows_.at(static_cast<std::size_t>(row));
    return QByteArrayView(entry.Name, static_cast<qsizetype>(entry.NameLength));
}

std::int32_t TRowListModel::Position(int row) const {
    return rows_.at(static_cast<std::size_t>(row)).Position;
}

namespace {

QDate DateOf(std::int32_t day) {
    return QDate::fromJulianDay(day);
}

} // namespace

QString TRowListModel::RowTextOf(const Entry &entry) const {
    QDate date;
    QTime time;
    if (entry.Day != Entry::NoDate) {
        date = DateOf(entry.Day);
        time = QTime::fromMSecsSinceStartOfDay(entry.Msecs);
    }
    return BuildRowText(entry.StoredName(), date, time, entry.Size, entry.Packed, entry.Ratio,
                        locale_);
}

QString TRowListModel::CellText(const Entry &entry, int column) const {
    const bool dated = entry.Day != Entry::NoDate;
    switch (column) {
    case NameColumn:
        return StoredNameFilePart(entry.StoredName());
    case DateColumn:
        return dated ? platform::SystemShortDate(DateOf(entry.Day)) : QString();
    case TimeColumn:
        return dated ? platform::SystemLongTime(QTime::fromMSecsSinceStartOfDay(entry.Msecs))
                     : QString();
    case SizeColumn:
        return FormatByteCount(entry.Size, locale_);
    case PackedColumn:
        return FormatByteCount(entry.Packed, locale_);
    case RatioColumn:
        return QString::number(entry.Ratio) + QLatin1Char('%');
    case PathColumn:
        return StoredNameFolderPart(entry.StoredName());
    default:
        return QString();
    }
}

QVariant TRowListModel::CellValue(const Entry &entry, int column) const {
    const bool dated = entry.Day != Entry::NoDate;
    switch (column) {
    case NameColumn:
        return StoredNameFilePart(entry.StoredName());
    case DateColumn:
        return dated ? QVariant(QDateTime(DateOf(entry.Day),
                                          QTime::fromMSecsSinceStartOfDay(entry.Msecs)))
                     : QVariant(QDateTime());
    case TimeColumn:
        return dated ? QVariant(QTime::fromMSecsSinceStartOfDay(entry.Msecs)) : QVariant(QTime());
    case SizeColumn:
        return QVariant::fromValue<qint64>(entry.Size);
    case PackedColumn:
        return QVariant::fromValue<qint64>(entry.Packed);
    case RatioColumn:
        return int{entry.Ratio};
    case PathColumn:
        return StoredNameFolderPart(entry.StoredName());
    default:
        return QVariant();
    }
}

void TRowListModel::BeginListing(const QLocale &locale, std::int64_t expected) {
    Clear();
    locale_ = locale;
    // The count comes from the archive's own directory record: a damaged
    // one must not make us reserve gigabytes.
    constexpr std::int64_t ReserveLimit = std::int64_t(1) << 22;
    listing_.reserve(static_cast<std::size_t>(std::clamp<std::int64_t>(expected, 0, ReserveLimit)));
}

void TRowListModel::AddEntry(const TZipFileStats &stats) {
    Entry entry;
    std::tie(entry.Name, entry.NameLength) = names_->Keep(stats.FileName);
    entry.Size = stats.TrueSize();
    entry.Packed = stats.TrueCompressedSize();
    entry.Ratio = stats.Ratio;
    entry.Position = static_cast<std::int32_t>(listing_.size() + 1);
    std::uint32_t fileStart = entry.NameLength;
    while (fileStart > 0 && entry.Name[fileStart - 1] != '/')
        --fileStart;
    entry.FileStart =
        static_cast<std::uint16_t>(std::min<std::uint32_t>(fileStart, Entry::FarFileStart));
    if (stats.DateTime.isValid()) {
        // The local date and time as the row shows them, which is not always
        // the stored stamp: one inside a daylight-saving gap moves on.
        entry.Day = static_cast<std::int32_t>(stats.DateTime.date().toJulianDay());
        entry.Msecs = stats.DateTime.time().msecsSinceStartOfDay();
    }
    listing_.push_back(entry);
}

void TRowListModel::EndListing() {
    // Rows in the same order as inserting each at its sorted place, after
    // rows of equal text, would give.
    std::stable_sort(listing_.begin(), listing_.end(),
                     [this](const Entry &a, const Entry &b) { return RowLess(a, b); });
    for (std::size_t k = 0; k < listing_.size(); ++k)
        listing_[k].Rank = static_cast<std::uint32_t>(k);
    Arrange(listing_);
    beginResetModel();
    rows_.swap(listing_);
    listing_ = std::vector<Entry>();
    endResetModel();
}

void TRowListModel::Clear() {
    beginResetModel();
    rows_ = std::vector<Entry>();
    listing_ = std::vector<Entry>();
    names_ = std::make_unique<NameStore>();
    endResetModel();
}

void TRowListModel::sort(int column, Qt::SortOrder order) {
    sortColumn_ = column >= 0 && column < ColumnCount ? column : -1;
    sortOrder_ = order;
    beginResetModel();
    Arrange(rows_);
    endResetModel();
}

std::uint32_t TRowListModel::Entry::FileOffset() const {
    if (FileStart != FarFileStart)
        return FileStart;
    std::uint32_t start = NameLength;
    while (start > 0 && Name[start - 1] != '/')
        --start;
    return start;
}

namespace {

constexpr unsigned char Tab = '\t';

unsigned char FoldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

} // namespace

namespace {

// Two texts in UTF-8 compared ignoring case as QString compares them,
// from the bytes where plain ASCII settles it.
int CompareIgnoringCase(const char *a, std::uint32_t lengthA, const char *b,
                        std::uint32_t lengthB) {
    const auto *x = reinterpret_cast<const unsigned char *>(a);
    const auto *y = reinterpret_cast<const unsigned char *>(b);
    const std::uint32_t common = std::min(lengthA, lengthB);
    // Sorted neighbours share long beginnings: those are passed over eight
    // bytes at a time.
    std::uint32_t i = 0;
    for (; i + 8 <= common; i += 8) {
        std::uint64_t wordA;
        std::uint64_t wordB;
        std::memcpy(&wordA, x + i, 8);
        std::memcpy(&wordB, y + i, 8);
        if (wordA != wordB)
            break;
    }
    for (; i < common; ++i) {
        if (x[i] == y[i])
            continue;
        if (x[i] >= 0x80 || y[i] >= 0x80)
            return QString::fromUtf8(a, lengthA)
                .compare(QString::fromUtf8(b, lengthB), Qt::CaseInsensitive);
        const unsigned char fx = FoldAscii(x[i]);
        const unsigned char fy = FoldAscii(y[i]);
        if (fx != fy)
            return fx < fy ? -1 : 1;
    }
    return lengthA == lengthB ? 0 : (lengthA < lengthB ? -1 : 1);
}

// The first eight bytes of a text folded, read as one number, the shorter
// text padded with zeros: ordered as CompareIgnoringCase orders the texts
// wherever two differ. A text with a byte beyond ASCII among them is
// ordered by its characters instead and has none.
constexpr std::uint64_t NoPrefix = ~std::uint64_t(0);

std::uint64_t PrefixOf(const char *text, std::uint32_t length) {
    std::uint64_t prefix = 0;
    for (std::uint32_t i = 0; i < 8; ++i) {
        const unsigned char c = i < length ? static_cast<unsigned char>(text[i]) : 0;
        if (c >= 0x80)
            return NoPrefix;
        prefix = (prefix << 8) | FoldAscii(c);
    }
    return prefix;
}

template <typename T> int Compare(const T &a, const T &b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// Sorts by `compare` (negative, zero or positive), equal ones in their rank,
// which is the row text order; a descending sort is the ascending one read
// backwards.
template <typename Item, typename Comparison>
void SortRanked(std::vector<Item> &items, Comparison compare, Qt::SortOrder order) {
    const auto ordered = [&](const Item &a, const Item &b) {
        const int c = compare(a, b);
        return c < 0 || (c == 0 && a.Rank < b.Rank);
    };
    if (order == Qt::AscendingOrder)
        std::sort(items.begin(), items.end(), ordered);
    else
        std::sort(items.begin(), items.end(),
                  [&](const Item &a, const Item &b) { return ordered(b, a); });
}

} // namespace

template <typename TextOf>
void TRowListModel::SortByText(std::vector<Entry> &rows, TextOf textOf) const {
    // Sorted as small keys holding the first eight bytes of each text,
    // which order most pairs without reading their names, and then moved
    // into place once: the entries themselves are large to move and their
    // names far apart in memory.
    struct Keyed {
        std::uint64_t Prefix;
        std::uint32_t Index;
        std::uint32_t Rank;
    };
    std::vector<Keyed> keys(rows.size());
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const auto [text, length] = textOf(rows[k]);
        keys[k] = Keyed{PrefixOf(text, length), static_cast<std::uint32_t>(k), rows[k].Rank};
    }
    SortRanked(
        keys,
        [&](const Keyed &a, const Keyed &b) {
            if (a.Prefix != b.Prefix && a.Prefix != NoPrefix && b.Prefix != NoPrefix)
                return a.Prefix < b.Prefix ? -1 : 1;
            const auto [textA, lengthA] = textOf(rows[a.Index]);
            const auto [textB, lengthB] = textOf(rows[b.Index]);
            return CompareIgnoringCase(textA, lengthA, textB, lengthB);
        },
        sortOrder_);
    // rows[k] becomes the row keys[k] came from, one cycle at a time.
    std::vector<bool> placed(rows.size());
    for (std::size_t start = 0; start < rows.size(); ++start) {
        if (placed[start])
            continue;
        const Entry first = rows[start];
        std::size_t k = start;
        for (;;) {
            placed[k] = true;
            const std::size_t from = keys[k].Index;
            if (from == start) {
                rows[k] = first;
                break;
            }
            rows[k] = rows[from];
            k = from;
        }
    }
}

void TRowListModel::Arrange(std::vector<Entry> &rows) const {
    // Every key ends in the row text order, so rows of equal value keep it
    // and a descending sort is the ascending one read backwards.
    const auto byRank = [](const Entry &a, const Entry &b) { return a.Rank < b.Rank; };
    const auto sortBy = [&](auto compare) { SortRanked(rows, compare, sortOrder_); };
    switch (sortColumn_) {
    case NameColumn:
        SortByText(rows, [](const Entry &e) {
            const std::uint32_t start = e.FileOffset();
            return std::pair(e.Name + start, e.NameLength - start);
        });
        break;
    case PathColumn:
        SortByText(rows, [](const Entry &e) {
            // Without its final "/", except for the root.
            const std::uint32_t start = e.FileOffset();
            return std::pair(e.Name, start > 1 ? start - 1 : start);
        });
        break;
    case DateColumn:
        sortBy([](const Entry &a, const Entry &b) {
            return Compare(std::tie(a.Day, a.Msecs), std::tie(b.Day, b.Msecs));
        });
        break;
    case TimeColumn:
        sortBy([](const Entry &a, const Entry &b) {
            const auto time = [](const Entry &e) { return e.Day == Entry::NoDate ? -1 : e.Msecs; };
            return Compare(time(a), time(b));
        });
        break;
    case SizeColumn:
        sortBy([](const Entry &a, const Entry &b) { return Compare(a.Size, b.Size); });
        break;
    case PackedColumn:
        sortBy([](const Entry &a, const Entry &b) { return Compare(a.Packed, b.Packed); });
        break;
    case RatioColumn:
        sortBy([](const Entry &a, const Entry &b) { return Compare(a.Ratio, b.Ratio); });
        break;
    default:
        std::sort(rows.begin(), rows.end(), byRank);
        break;
    }
}

// The order of the row texts ignoring case, decided from the names' bytes
// where plain ASCII settles it (an ASCII byte is always a whole character
// in UTF-8); everything else compares the full row texts.
bool TRowListModel::RowLess(const Entry &a, const Entry &b) const {
    const auto *x = reinterpret_cast<const unsigned char *>(a.Name);
    const auto *y = reinterpret_cast<const unsigned char *>(b.Name);
    const std::uint32_t common = std::min(a.NameLength, b.NameLength);
    for (std::uint32_t i = 0; i < common; ++i) {
        if (x[i] == y[i])
            continue;
        if (x[i] >= 0x80 || y[i] >= 0x80)
            return RowTextOf(a).compare(RowTextOf(b), Qt::CaseInsensitive) < 0;
        const unsigned char fx = FoldAscii(x[i]);
        const unsigned char fy = FoldAscii(y[i]);
        if (fx != fy)
            return fx < fy;
    }
    // One name ends where the other goes on: the tab after the shorter name
    // meets the next character of the longer one.
    if (a.NameLength != b.NameLength) {
        const unsigned char next = a.NameLength > b.NameLength ? x[common] : y[common];
        if (next < 0x80 && FoldAscii(next) != Tab)
            return (a.NameLength < b.NameLength) == (Tab < FoldAscii(next));
    }
    return RowTextOf(a).compare(RowTextOf(b), Qt::CaseInsensitive) < 0;
}
