#include "src/app/qt/entry_list.h"

#include <QStringDecoder>

namespace tovrin {
namespace {

// An entry as the screen shows it: text in the local encoding or, where the bytes are not (a
// name written in a single-byte code page), one character per byte.
QString readable(const std::string& bytes) {
    const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QStringDecoder local(QStringDecoder::System, QStringDecoder::Flag::Stateless);
    const QString text = local.decode(view);
    return local.hasError() ? QString::fromLatin1(view) : text;
}

}  // namespace

int EntryList::Entries::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows.size());
}

QVariant EntryList::Entries::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
    return readable(rows[static_cast<std::size_t>(index.row())]);
}

void EntryList::Entries::reset() {
    beginResetModel();
    rows.clear();
    endResetModel();
}

void EntryList::Entries::append(const std::vector<std::string>& entries) {
    if (entries.empty()) return;
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(entries.size()) - 1);
    rows.insert(rows.end(), entries.begin(), entries.end());
    endInsertRows();
}

EntryList::EntryList(QWidget* parent) : QListView(parent) {
    setModel(&entries_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
}

void EntryList::clear() {
    pendingRow_ = -1;
    entries_.reset();
}

void EntryList::append(const std::vector<std::string>& entries) { entries_.append(entries); }

int EntryList::count() const { return entries_.rowCount(); }

std::string EntryList::entry(int row) const {
    if (row < 0 || row >= count()) return {};
    return entries_.rows[static_cast<std::size_t>(row)];
}

void EntryList::select(int row) {
    pendingRow_ = row;
    if (selectionPosted_) return;
    selectionPosted_ = true;
    QMetaObject::invokeMethod(
        this, [this] { applySelection(); }, Qt::QueuedConnection);
}

void EntryList::applySelection() {
    selectionPosted_ = false;
    const int row = pendingRow_;
    pendingRow_ = -1;
    if (row < 0 || row >= count()) return;
    const QModelIndex index = entries_.index(row);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

}  // namespace tovrin
