#pragma once
// The file list List1: a list view over the file entries as the exact bytes the scan gave, so
// a name that is not text in the local encoding comes back unchanged for the package script.
// Screen text is made only for the rows being painted and every row has the first row's
// height, so a list of tens of thousands of entries fills at once.

#include <QAbstractListModel>
#include <QListView>

#include <string>
#include <vector>

namespace tovrin {

class EntryList : public QListView {
public:
    explicit EntryList(QWidget* parent);

    void clear();
    void append(const std::vector<std::string>& entries);  // in order, after the others
    int count() const;
    std::string entry(int row) const;  // empty when there is no such row

    // Selects the row and scrolls it into view. The window paints nothing before its event
    // loop runs again, so a row selected in the meantime is only noted: when the loop runs,
    // the last one noted is selected and shown, once.
    void select(int row);

private:
    class Entries : public QAbstractListModel {
    public:
        std::vector<std::string> rows;
        int rowCount(const QModelIndex& parent = QModelIndex()) const override;
        QVariant data(const QModelIndex& index, int role) const override;
        void reset();
        void append(const std::vector<std::string>& entries);
    };

    void applySelection();

    Entries entries_;
    int pendingRow_ = -1;
    bool selectionPosted_ = false;
};

}  // namespace tovrin
