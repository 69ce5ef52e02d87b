#include "src/app/qt/form1.h"

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

#include "src/app/folder_commands.h"
#include "src/app/form_design.h"
#include "src/app/info_boxes.h"
#include "src/app/qt/entry_list.h"
#include "src/app/qt/window_icon.h"
#include "src/app/uid_import.h"
#include "src/delivery/ticks.h"
#include "src/package/create_command.h"

#ifdef _WIN32
#include "src/platform/shell_folder_dialog.h"
#endif

namespace tovrin {
namespace {

QString toQt(const std::string& s) {
    return QString::fromLocal8Bit(s.data(), static_cast<qsizetype>(s.size()));
}
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
    const Fit fits[] = {{"Project path:", 960, 2},
                        {"Dest. folder:", 960, 2},
                        {"Select language:", 1560, 2},
                        {"Name of the program:", 1680, 2},
                        {"UID:", 360, 2},
                        {"Ver.:", 360, 2},
                        {"Min.:", 360, 2},
                        {"Build:", 480, 2},
                        {"Support all symbians", 1815, 26},
                        {"Take from a file", 1935, 12},
                        {"Create .sis file", 2175, 12},
                        {"01000000", 855, 12}};
    double scale = 1.0;
    for (const Fit& f : fits)
        scale = std::max(scale, (fm.horizontalAdvance(f.text) + f.margin) * 15.0 / f.twips);
    return std::ceil(scale * 20) / 20;  // in steps of 5 %
}

}  // namespace

Form1::Form1(const std::string& appFolder, ScriptStarter& starter)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      wizard_{*this, appFolder, starter, nullptr, nullptr, {}},
      scale_(1.0) {
    // The layout was made for an 8-point dialog font; a larger desktop font would make the
    // window needlessly tall.
    QFont dialogFont = font();
    if (dialogFont.pointSize() > 8) dialogFont.setPointSize(8);
    setFont(dialogFont);
    scale_ = layoutScale(dialogFont);
    setWindowTitle(kFormTitle);
    setWindowIcon(makeWindowIcon());
    setFixedSize(twips(0, 0, kFormWidthTwips, kFormHeightTwips).size());
    createControls();
    connectEvents();
}

QRect Form1::twips(int left, int top, int width, int height) const {
    auto px = [&](int t) { return static_cast<int>(std::lround(t * scale_ / 15)); };
    return QRect(px(left), px(top), px(width), px(height));
}

void Form1::createControls() {
    for (const ControlDesign& d : formDesign()) {
        const QRect r = twips(d.left, d.top, d.width, d.height);
        QWidget* w = nullptr;
        switch (d.kind) {
        case ControlKind::Label: {
            // Label7 lies inside the busy panel, made just before it.
            auto* label =
                new QLabel(d.text, d.control == Control::Label7 ? widgets_[Control::Frame1] : this);
            label->setGeometry(r);
            if (label->sizeHint().width() > r.width())
                label->resize(label->sizeHint().width(), r.height());
            label->setFocusPolicy(Qt::NoFocus);
            w = label;
            break;
        }
        case ControlKind::TextBox: {
            auto* edit = new QLineEdit(d.text, this);
            if (d.maxLength) edit->setMaxLength(d.maxLength);
            w = edit;
            break;
        }
        case ControlKind::ComboBox: {
            auto* box = new QComboBox(this);  // a drop-down list: pick only, no typing
            box->setCurrentIndex(-1);
            w = box;
            break;
        }
        case ControlKind::CheckBox: {
            auto* box = new QCheckBox(d.text, this);
            box->setCheckState(d.value == 1   ? Qt::Checked
                               : d.value == 2 ? Qt::PartiallyChecked
                                              : Qt::Unchecked);
            w = box;
            break;
        }
        case ControlKind::ListBox: w = new EntryList(this); break;
        case ControlKind::Frame: {
            auto* frame = new QFrame(this);
            frame->setFrameShape(QFrame::Box);
            frame->setAutoFillBackground(true);
            // Black on white in every state: the panel is shown while the window is disabled.
            frame->setStyleSheet("QFrame { background: white; color: black; }");
            frame->setFocusPolicy(Qt::NoFocus);
            w = frame;
            break;
        }
        case ControlKind::Button: {
            auto* button = new QPushButton(d.text, this);
            button->setAutoDefault(false);
            w = button;
            break;
        }
        case ControlKind::Timer: {
            QTimer*& timer = d.control == Control::Timer1 ? timer1_ : timer2_;
            timer = new QTimer(this);
            timer->setInterval(d.interval);
            if (d.enabled) timer->start();
            continue;
        }
        }
        if (d.kind != ControlKind::Label) w->setGeometry(r);
        w->setEnabled(d.enabled);
        w->setVisible(d.visible);
        widgets_[d.control] = w;
    }

    auto* working = static_cast<QLabel*>(widgets_[Control::Label7]);
    working->setAlignment(Qt::AlignCenter);
    working->setWordWrap(true);
    QFont font(kBusyFontFamily);
    font.setPointSize(kBusyFontPoints);
    font.setWeight(QFont::Normal);
    working->setFont(font);
    widgets_[Control::Frame1]->raise();  // drawn above the list

    // What a screen reader says of each control, and which label stands for which box.
    for (const ControlDesign& d : formDesign()) {
        const std::string name = tovrin::accessibleName(d.control);
        if (!name.empty()) widgets_[d.control]->setAccessibleName(toQt(name));
        if (const ControlDesign* label = labelOf(d.control))
            static_cast<QLabel*>(widgets_[label->control])->setBuddy(widgets_[d.control]);
    }

    const std::vector<Control> order = tabOrder();
    for (std::size_t i = 0; i + 1 < order.size(); ++i)
        setTabOrder(widgets_[order[i]], widgets_[order[i + 1]]);
    setFocus(order.front());
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
    if (auto* cb = qobject_cast<QComboBox*>(w))
        return cb->currentIndex() < 0 ? std::string() : fromQt(cb->currentText());
    if (c == Control::Form1) return fromQt(windowTitle());
    return {};
}

void Form1::setText(Control c, const std::string& text) {
    QWidget* w = widget(c);
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(toQt(text));
    else if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(toQt(text));
    else if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setText(toQt(text));
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

void Form1::setFocus(Control c) {
    if (QWidget* w = widget(c)) w->setFocus();
}

EntryList* Form1::list() const { return static_cast<EntryList*>(widget(Control::List1)); }

void Form1::listClear() { list()->clear(); }

void Form1::listAdd(const std::vector<std::string>& entries) { list()->append(entries); }

int Form1::listCount() const { return list()->count(); }

std::string Form1::listItem(int index) const { return list()->entry(index); }

void Form1::listSelect(int index) { list()->select(index); }

void Form1::comboAdd(const std::string& entry) {
    auto* box = static_cast<QComboBox*>(widget(Control::CmbLang));
    box->addItem(toQt(entry));
    box->setCurrentIndex(-1);  // adding selects nothing
}

void Form1::messageBox(const std::string& text, const std::string& title, MessageIcon icon) {
    if (messageHook) return messageHook(text, title, icon);
    QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information,
                    toQt(title), toQt(text), QMessageBox::Ok, this);
    box.exec();
}

bool Form1::chooseFolder(std::string* path) {
    if (folderHook) return folderHook(path);
#ifdef _WIN32
    return shellChooseFolder(reinterpret_cast<void*>(winId()), path);
#else
    QString chosen =
        QFileDialog::getExistingDirectory(this, QString(), "/", QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) return false;
    *path = fromQt(chosen);
    return true;
#endif
}

bool Form1::chooseOpenFile(const std::string& title, const std::string& filter,
                           const std::string& defaultExt, std::string* path) {
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
    if (mayClose(wizard_))
        event->accept();
    else
        event->ignore();
}

}  // namespace tovrin
