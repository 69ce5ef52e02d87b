#include "app/qt/form1.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include "app/folder_commands.h"
#include "app/info_boxes.h"
#include "app/qt/entry_list.h"
#include "app/qt/window_icon.h"
#include "delivery/ticks.h"
#include "package/create_command.h"
#include "sis/uid_import.h"

#ifdef _WIN32
#include "platform/shell_folder_dialog.h"
#endif

namespace tovrin {
namespace {

QString toQt(const std::string& s) { return QString::fromLocal8Bit(s.data(), static_cast<qsizetype>(s.size())); }
std::string fromQt(const QString& s) { return s.toLocal8Bit().toStdString(); }

// The layout was drawn in twips for a small dialog font; 15 twips make one pixel at 96 dots
// per inch. Where the toolkit's font is larger, the whole layout grows in proportion until the
// widest caption fits the width the layout gives it.
double layoutScale(const QFont& font) {
    const QFontMetrics fm(font);
    struct Fit {
        const char* text;
        int twips;   // width the layout gives the control
        int margin;  // pixels the control needs besides its text
    };
    // Short captions may run into the gap before the next control, so they are measured
    // against that room.
    const Fit fits[] = {{"Project path:", 960, 2},     {"Dest. folder:", 960, 2},     {"Select language:", 1560, 2},
                        {"Name of the program:", 1680, 2}, {"UID:", 360, 2},         {"Ver.:", 360, 2},
                        {"Min.:", 360, 2},            {"Build:", 480, 2},            {"Support all symbians", 1815, 26},
                        {"Take from a file", 1935, 12}, {"Create .sis file", 2175, 12}, {"01000000", 855, 12}};
    double scale = 1.0;
    for (const Fit& f : fits) scale = std::max(scale, (fm.horizontalAdvance(f.text) + f.margin) * 15.0 / f.twips);
    return std::ceil(scale * 20) / 20;  // in steps of 5 %
}

}  // namespace

Form1::Form1(const std::string& appFolder, ScriptStarter& starter)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint),
      wizard_{*this, appFolder, starter, nullptr, nullptr, {}},
      scale_(1.0) {
    // The layout was made for an 8-point dialog font; a larger desktop font would make the
    // window needlessly tall.
    QFont dialogFont = font();
    if (dialogFont.pointSize() > 8) dialogFont.setPointSize(8);
    setFont(dialogFont);
    scale_ = layoutScale(dialogFont);
    setWindowTitle("Tovrin Wizard by Quen");
    setWindowIcon(makeWindowIcon());
    setFixedSize(twips(0, 0, 6285, 7935).size());
    createControls();
    connectEvents();
}

QRect Form1::twips(int left, int top, int width, int height) const {
    auto px = [&](int t) { return static_cast<int>(std::lround(t * scale_ / 15)); };
    return QRect(px(left), px(top), px(width), px(height));
}

void Form1::createControls() {
    auto label = [&](Control c, const char* caption, QRect r, QWidget* parent) {
        auto* w = new QLabel(caption, parent);
        w->setGeometry(r);
        if (w->sizeHint().width() > r.width()) w->resize(w->sizeHint().width(), r.height());
        widgets_[c] = w;
        return w;
    };
    auto edit = [&](Control c, const char* initial, QRect r, int maxLength) {
        auto* w = new QLineEdit(initial, this);
        w->setGeometry(r);
        if (maxLength) w->setMaxLength(maxLength);
        widgets_[c] = w;
        return w;
    };
    auto button = [&](Control c, const char* caption, QRect r) {
        auto* w = new QPushButton(caption, this);
        w->setGeometry(r);
        w->setAutoDefault(false);
        widgets_[c] = w;
        return w;
    };

    label(Control::Label8, "Project path:", twips(120, 120, 975, 255), this);
    edit(Control::txtProjPath, "", twips(1080, 120, 4575, 285), 0)->setEnabled(false);
    button(Control::cmdBrowse, "...", twips(5760, 120, 375, 255));
    label(Control::Label9, "Dest. folder:", twips(120, 600, 975, 255), this);
    edit(Control::txtDest, "", twips(1080, 600, 4575, 285), 0)->setEnabled(false);
    button(Control::cmdDestFol, "...", twips(5760, 600, 375, 255));
    label(Control::Label1, "Select language:", twips(120, 1080, 1455, 255), this);
    auto* lang = new QComboBox(this);  // a drop-down list: pick only, no typing
    lang->setGeometry(twips(1680, 1080, 4455, 315));
    lang->setCurrentIndex(-1);
    widgets_[Control::CmbLang] = lang;
    label(Control::Label2, "Name of the program:", twips(120, 1560, 1695, 255), this);
    edit(Control::txtName, "Name", twips(1800, 1560, 4335, 285), 24);
    label(Control::Label3, "UID:", twips(1080, 2040, 375, 255), this);
    edit(Control::txtUID, "01000000", twips(1440, 2040, 855, 285), 8);
    button(Control::Command2, "?", twips(2400, 2040, 255, 255));
    button(Control::readUi, "Take from a file", twips(2760, 2040, 1935, 255));
    auto* supp = new QCheckBox("Support all symbians", this);
    supp->setGeometry(twips(120, 2520, 1815, 255));
    supp->setCheckState(Qt::Checked);
    widgets_[Control::ckSupp] = supp;
    label(Control::Label4, "Ver.:", twips(3360, 2520, 375, 255), this);
    edit(Control::txtVer, "1", twips(3720, 2520, 255, 285), 1);
    label(Control::Label5, "Min.:", twips(4200, 2520, 375, 255), this);
    edit(Control::txtMin, "0", twips(4560, 2520, 255, 285), 1);
    label(Control::Label6, "Build:", twips(5040, 2520, 375, 255), this);
    edit(Control::txtBuild, "0", twips(5520, 2520, 255, 285), 1);
    auto* list = new EntryList(this);
    list->setGeometry(twips(120, 3000, 6015, 4350));
    widgets_[Control::List1] = list;

    auto* frame = new QFrame(this);
    frame->setGeometry(twips(1800, 3600, 2415, 1455));
    frame->setFrameShape(QFrame::Box);
    frame->setAutoFillBackground(true);
    frame->setStyleSheet("QFrame { background: white; }");
    widgets_[Control::Frame1] = frame;
    QLabel* working = label(Control::Label7, "Working Hard...", twips(120, 240, 2175, 1095), frame);
    working->setAlignment(Qt::AlignCenter);
    working->setWordWrap(true);
    QFont font("MS Sans Serif");
    font.setPointSize(24);
    font.setWeight(QFont::Normal);
    working->setFont(font);
    frame->hide();
    frame->raise();  // drawn above the list

    button(Control::cmdDo, "Create .sis file", twips(120, 7440, 2175, 375));
    button(Control::Command1, "About", twips(4440, 7440, 1695, 375));

    timer1_ = new QTimer(this);
    timer1_->setInterval(700);
    timer2_ = new QTimer(this);
    timer2_->setInterval(500);

    const Control order[] = {Control::CmbLang, Control::txtName,  Control::txtUID,   Control::Command2,
                             Control::txtVer,  Control::txtMin,   Control::txtBuild, Control::ckSupp,
                             Control::List1,   Control::txtProjPath, Control::cmdBrowse, Control::cmdDo,
                             Control::Command1, Control::txtDest, Control::cmdDestFol, Control::readUi};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(widgets_[order[i]], widgets_[order[i + 1]]);
    for (auto& entry : widgets_)
        if (qobject_cast<QLabel*>(entry.second) || entry.first == Control::Frame1)
            entry.second->setFocusPolicy(Qt::NoFocus);
    lang->setFocus();
}

void Form1::connectEvents() {
    auto onClick = [&](Control c, auto handler) {
        connect(static_cast<QPushButton*>(widgets_[c]), &QPushButton::clicked, this, handler);
    };
    onClick(Control::cmdBrowse, [this] { cmdBrowse_Click(*this); });
    onClick(Control::cmdDestFol, [this] { cmdDestFol_Click(*this); });
    onClick(Control::readUi, [this] { readUi_Click(*this); });
    onClick(Control::cmdDo, [this] { cmdDo_Click(wizard_); });
    onClick(Control::Command1, [this] { Command1_Click(*this); });
    onClick(Control::Command2, [this] { Command2_Click(*this); });
    connect(timer1_, &QTimer::timeout, this, [this] { Timer1_Timer(wizard_); });
    connect(timer2_, &QTimer::timeout, this, [this] { Timer2_Timer(wizard_); });
}

QWidget* Form1::widget(Control c) const {
    auto it = widgets_.find(c);
    return it == widgets_.end() ? nullptr : it->second;
}

QTimer* Form1::timer(Control c) const {
    return c == Control::Timer1 ? timer1_ : c == Control::Timer2 ? timer2_ : nullptr;
}

std::string Form1::text(Control c) const {
    QWidget* w = widget(c);
    if (auto* e = qobject_cast<QLineEdit*>(w)) return fromQt(e->text());
    if (auto* l = qobject_cast<QLabel*>(w)) return fromQt(l->text());
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return fromQt(b->text());
    if (auto* cb = qobject_cast<QComboBox*>(w)) return cb->currentIndex() < 0 ? std::string() : fromQt(cb->currentText());
    if (c == Control::Form1) return fromQt(windowTitle());
    return {};
}

void Form1::setText(Control c, const std::string& text) {
    QWidget* w = widget(c);
    if (auto* e = qobject_cast<QLineEdit*>(w)) e->setText(toQt(text));
    else if (auto* l = qobject_cast<QLabel*>(w)) l->setText(toQt(text));
    else if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setText(toQt(text));
}

int Form1::value(Control c) const {
    auto* box = qobject_cast<QCheckBox*>(widget(c));
    if (!box) return 0;
    switch (box->checkState()) {
        case Qt::Checked: return 1;
        case Qt::PartiallyChecked: return 2;
        default: return 0;
    }
}

bool Form1::enabled(Control c) const {
    if (c == Control::Form1) return isEnabled();
    if (QTimer* t = timer(c)) return t->isActive();
    QWidget* w = widget(c);
    return w && w->isEnabled();
}

void Form1::setEnabled(Control c, bool on) {
    if (c == Control::Form1) return QWidget::setEnabled(on);
    if (QTimer* t = timer(c)) return on ? (t->isActive() ? void() : t->start()) : t->stop();
    if (QWidget* w = widget(c)) w->setEnabled(on);
}

bool Form1::visible(Control c) const {
    if (c == Control::Form1) return isVisible();
    QWidget* w = widget(c);
    return w && !w->isHidden();
}

void Form1::setVisible(Control c, bool on) {
    if (c == Control::Form1) return QWidget::setVisible(on);
    if (QWidget* w = widget(c)) w->setVisible(on);
}

EntryList* Form1::list() const { return static_cast<EntryList*>(widget(Control::List1)); }

void Form1::listClear() { list()->clear(); }

void Form1::listAdd(const std::vector<std::string>& entries) { list()->append(entries); }

int Form1::listCount() const { return list()->count(); }

std::string Form1::listItem(int index) const { return list()->entry(index); }

void Form1::listSelect(int index) { list()->select(index); }

void Form1::comboAdd(const std::string& entry) {
    auto* box = static_cast<QComboBox*>(widget(Control::CmbLang));
    const QString text = toQt(entry);
    int pos = 0;
    while (pos < box->count() && QString::compare(box->itemText(pos), text, Qt::CaseInsensitive) <= 0) ++pos;
    box->insertItem(pos, text);
    box->setCurrentIndex(-1);  // adding selects nothing
}

void Form1::messageBox(const std::string& text, const std::string& title, MessageIcon icon) {
    if (messageHook) return messageHook(text, title, icon);
    QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information, toQt(title),
                    toQt(text), QMessageBox::Ok, this);
    box.exec();
}

bool Form1::chooseFolder(std::string* path) {
    if (folderHook) return folderHook(path);
#ifdef _WIN32
    return shellChooseFolder(reinterpret_cast<void*>(winId()), path);
#else
    QString chosen = QFileDialog::getExistingDirectory(this, QString(), "/", QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) return false;
    *path = fromQt(chosen);
    return true;
#endif
}

bool Form1::chooseOpenFile(const std::string& title, const std::string& filter, const std::string& defaultExt,
                           std::string* path) {
    if (openFileHook) return openFileHook(title, path);
    QFileDialog dialog(this, toQt(title), QString(), toQt(filter));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    QString ext = toQt(defaultExt);
    dialog.setDefaultSuffix(ext.startsWith("*.") ? ext.mid(2) : ext);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    *path = fromQt(dialog.selectedFiles().first());
    return true;
}

void Form1::closeEvent(QCloseEvent* event) {
    // A build in flight still has to deliver and clean up: closing waits until it is idle.
    if (mayClose(wizard_)) event->accept();
    else event->ignore();
}

}  // namespace tovrin
