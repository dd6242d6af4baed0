#include "RowListModel.h"

#include "RowText.h"
#include "ZipEngine.h"

#include <QDate>
#include <QTime>

#include <algorithm>
#include <limits>

// The characters of every name in large blocks that never move: one
// allocation per block rather than one per entry.
class TRowListModel::NameStore {
public:
    const QChar *Keep(const QString &name) {
        const auto length = static_cast<std::size_t>(name.size());
        if (blocks_.empty() || BlockSize - used_ < length) {
            // A name is at most 65,535 bytes long; a longer text still gets
            // a block of its own.
            blocks_.push_back(std::make_unique<QChar[]>(std::max(BlockSize, length)));
            used_ = 0;
        }
        QChar *place = blocks_.back().get() + used_;
        std::copy(name.cbegin(), name.cend(), place);
        used_ += length;
        return place;
    }

private:
    static constexpr std::size_t BlockSize = std::size_t(1) << 18;
    std::vector<std::unique_ptr<QChar[]>> blocks_;
    std::size_t used_ = 0;
};

TRowListModel::TRowListModel(QObject *parent)
    : QAbstractListModel(parent), names_(std::make_unique<NameStore>()) {}

TRowListModel::~TRowListModel() = default;

int TRowListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : Count();
}

QVariant TRowListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= Count())
        return QVariant();
    if (role == Qt::DisplayRole)
        return RowTextOf(rows_[static_cast<std::size_t>(index.row())]);
    return QVariant();
}

QString TRowListModel::RowText(int row) const {
    return RowTextOf(rows_.at(static_cast<std::size_t>(row)));
}

QString TRowListModel::StoredName(int row) const {
    return rows_.at(static_cast<std::size_t>(row)).StoredName().toString();
}

QString TRowListModel::RowTextOf(const Entry &entry) const {
    QDate date;
    QTime time;
    if (entry.Day != Entry::NoDate) {
        date = QDate::fromJulianDay(entry.Day);
        time = QTime::fromMSecsSinceStartOfDay(entry.Msecs);
    }
    return BuildRowText(entry.StoredName(), date, time, entry.Size, entry.Packed, entry.Ratio,
                        locale_);
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
    entry.Name = names_->Keep(stats.FileName);
    entry.NameLength = static_cast<std::uint32_t>(stats.FileName.size());
    entry.Size = stats.TrueSize();
    entry.Packed = stats.TrueCompressedSize();
    entry.Ratio = stats.Ratio;
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

namespace {

constexpr char16_t Tab = u'\t';

char16_t FoldAscii(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? char16_t(c + (u'a' - u'A')) : c;
}

} // namespace

// The order of the row texts ignoring case, decided from the names alone
// where plain ASCII settles it; everything else compares the full row texts.
bool TRowListModel::RowLess(const Entry &a, const Entry &b) const {
    const QStringView x = a.StoredName();
    const QStringView y = b.StoredName();
    const qsizetype common = std::min(x.size(), y.size());
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t cx = x[i].unicode();
        const char16_t cy = y[i].unicode();
        if (cx == cy)
            continue;
        if (cx >= 0x80 || cy >= 0x80)
            return RowTextOf(a).compare(RowTextOf(b), Qt::CaseInsensitive) < 0;
        const char16_t fx = FoldAscii(cx);
        const char16_t fy = FoldAscii(cy);
        if (fx != fy)
            return fx < fy;
    }
    // One name ends where the other goes on: the tab after the shorter name
    // meets the next character of the longer one.
    if (x.size() != y.size()) {
        const char16_t next = (x.size() > y.size() ? x : y)[common].unicode();
        if (next < 0x80 && FoldAscii(next) != Tab)
            return (x.size() < y.size()) == (Tab < FoldAscii(next));
    }
    return RowTextOf(a).compare(RowTextOf(b), Qt::CaseInsensitive) < 0;
}
