#include "src/app/win32/entry_list.h"

namespace tovrin {

EntryList::EntryList(HWND box, HWND owner, UINT applyMessage)
    : box_(box), owner_(owner), applyMessage_(applyMessage) {}

void EntryList::clear() {
    pendingRow_ = -1;
    rows_.clear();
    SendMessageA(box_, LB_RESETCONTENT, 0, 0);
}

void EntryList::append(const std::vector<std::string>& entries) {
    if (entries.empty()) return;
    std::size_t bytes = 0;
    for (const std::string& e : entries) bytes += e.size() + 1;
    SendMessageA(box_, LB_INITSTORAGE, entries.size(), bytes);  // one allocation, not one per entry
    SendMessageA(box_, WM_SETREDRAW, FALSE, 0);
    for (const std::string& e : entries)
        SendMessageA(box_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.c_str()));
    SendMessageA(box_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(box_, nullptr, TRUE);
    rows_.insert(rows_.end(), entries.begin(), entries.end());
}

int EntryList::count() const { return static_cast<int>(rows_.size()); }

std::string EntryList::entry(int row) const {
    if (row < 0 || row >= count()) return {};
    return rows_[static_cast<std::size_t>(row)];
}

void EntryList::select(int row) {
    pendingRow_ = row;
    if (posted_) return;
    posted_ = PostMessageA(owner_, applyMessage_, 0, 0) != 0;
    if (!posted_) applySelection();  // no queue to wait on: select now
}

void EntryList::applySelection() {
    posted_ = false;
    const int row = pendingRow_;
    pendingRow_ = -1;
    if (row < 0 || row >= count()) return;
    SendMessageA(box_, LB_SETCURSEL, static_cast<WPARAM>(row), 0);  // also scrolls it into view
}

}  // namespace tovrin
