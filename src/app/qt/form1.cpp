#include "src/app/qt/form1.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include "src/app/folder_commands.h"
#include "src/app/form_design.h"
#include "src/app/info_boxes.h"
#include "src/app/qt/entry_list.h"
#include "src/app/qt/system_dialogs.h"
#include "src/app/qt/widget_text.h"
#include "src/app/qt/window_icon.h"
#include "src/app/uid_import.h"
#include "src/delivery/ticks.h"
#include "src/package/create_command.h"
#include "src/platform/work_folder.h"

namespace tovrin {
namespace {

// Pixels a control needs besides its text.
int textMargin(ControlKind kind) {
    switch (kind) {
    case ControlKind::Label: return 2;
    case ControlKind::CheckBox: return 26;  // the box beside the caption
    default: return 12;
    }
}

// The layout was drawn in twips for a small dialog font; 15 twips make one pixel at 96 dots
// per inch. Where the toolkit's font is larger, the whole layout grows in proportion until
// every caption and initial text fits the width the layout gives it. Label7 has a font of its
// own and wraps.
double layoutScale(const QFont& font) {
    const QFontMetrics fm(font);
    double scale = 1.0;
    for (const ControlDesign& d : formDesign()) {
        if (!*d.text || d.control == Control::Label7) continue;
        const int needed = fm.horizontalAdvance(d.text) + textMargin(d.kind);
        scale = std::max(scale, needed * 15.0 / textRoomTwips(d));
    }
    return std::ceil(scale * 20) / 20;  // in steps of 5 %
}

}  // namespace

// The seam's operations on the widgets, by the controls' names.
class Form1::Controls : public Window {
public:
    Controls(Form1& form, Dialogs& dialogs) : form_(form), dialogs_(dialogs) {}

    std::string text(Control c) const override {
        QWidget* w = form_.widget(c);
        if (auto* e = qobject_cast<QLineEdit*>(w)) return fromQt(e->text());
        if (auto* l = qobject_cast<QLabel*>(w)) return fromQt(l->text());
        if (auto* b = qobject_cast<QAbstractButton*>(w)) return fromQt(b->text());
        if (auto* cb = qobject_cast<QComboBox*>(w))
            return cb->currentIndex() < 0 ? std::string() : fromQt(cb->currentText());
        if (c == Control::Form1) return fromQt(form_.windowTitle());
        return {};
    }

    void setText(Control c, const std::string& text) override {
        QWidget* w = form_.widget(c);
        if (auto* e = qobject_cast<QLineEdit*>(w))
            e->setText(toQt(text));
        else if (auto* l = qobject_cast<QLabel*>(w))
            l->setText(toQt(text));
        else if (auto* b = qobject_cast<QAbstractButton*>(w))
            b->setText(toQt(text));
    }

    int value(Control c) const override {
        auto* box = qobject_cast<QCheckBox*>(form_.widget(c));
        if (!box) return 0;
        switch (box->checkState()) {
        case Qt::Checked: return 1;
        case Qt::PartiallyChecked: return 2;
        default: return 0;
        }
    }

    bool enabled(Control c) const override {
        if (c == Control::Form1) return form_.isEnabled();
        if (QTimer* t = form_.timer(c)) return t->isActive();
        QWidget* w = form_.widget(c);
        return w && w->isEnabled();
    }

    void setEnabled(Control c, bool on) override {
        if (c == Control::Form1) return form_.setEnabled(on);
        if (QTimer* t = form_.timer(c))
            return on ? (t->isActive() ? void() : t->start()) : t->stop();
        if (QWidget* w = form_.widget(c)) w->setEnabled(on);
    }

    bool visible(Control c) const override {
        if (c == Control::Form1) return form_.isVisible();
        QWidget* w = form_.widget(c);
        return w && !w->isHidden();
    }

    void setVisible(Control c, bool on) override {
        if (c == Control::Form1) return form_.setVisible(on);
        if (QWidget* w = form_.widget(c)) w->setVisible(on);
    }

    void setFocus(Control c) override {
        if (QWidget* w = form_.widget(c)) w->setFocus();
    }

    void listClear() override { list()->clear(); }
    void listAdd(const std::vector<std::string>& entries) override { list()->append(entries); }
    int listCount() const override { return list()->count(); }
    std::string listItem(int index) const override { return list()->entry(index); }
    void listSelect(int index) override { list()->select(index); }

    void comboAdd(const std::string& entry) override {
        auto* box = static_cast<QComboBox*>(form_.widget(Control::CmbLang));
        box->addItem(toQt(entry));
        box->setCurrentIndex(-1);  // adding selects nothing
    }

    Dialogs& dialogs() override { return dialogs_; }

private:
    EntryList* list() const { return static_cast<EntryList*>(form_.widget(Control::List1)); }

    Form1& form_;
    Dialogs& dialogs_;
};

Form1::Form1(const std::string& appFolder, ScriptStarter& starter, Dialogs* dialogs)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      systemDialogs_(dialogs ? nullptr : std::make_unique<SystemDialogs>(this)),
      controls_(std::make_unique<Controls>(*this, dialogs ? *dialogs : *systemDialogs_)),
      wizard_{*controls_, appFolder, chooseWorkFolder(appFolder), starter, nullptr, nullptr, {}},
      scale_(1.0) {
    // The layout was made for the dialog font's size; a larger desktop font would make the
    // window needlessly tall.
    QFont dialogFont = font();
    if (dialogFont.pointSize() > kDialogFontPoints) dialogFont.setPointSize(kDialogFontPoints);
    setFont(dialogFont);
    scale_ = layoutScale(dialogFont);
    setWindowTitle(kFormTitle);
    setWindowIcon(makeWindowIcon());
    setFixedSize(twips(0, 0, kFormWidthTwips, kFormHeightTwips).size());
    createControls();
    connectEvents();
}

Form1::~Form1() = default;

Window& Form1::controls() { return *controls_; }

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
    widgets_[order.front()]->setFocus();
}

void Form1::connectEvents() {
    auto onClick = [&](Control c, auto handler) {
        connect(static_cast<QPushButton*>(widgets_[c]), &QPushButton::clicked, this, handler);
    };
    onClick(Control::cmdBrowse, [this] { cmdBrowse_Click(*controls_); });
    onClick(Control::cmdDestFol, [this] { cmdDestFol_Click(*controls_); });
    onClick(Control::readUi, [this] { readUi_Click(*controls_); });
    onClick(Control::cmdDo, [this] { cmdDo_Click(wizard_); });
    onClick(Control::Command1, [this] { Command1_Click(*controls_); });
    onClick(Control::Command2, [this] { Command2_Click(*controls_); });
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

void Form1::closeEvent(QCloseEvent* event) {
    // A build in flight still has to deliver and clean up: closing waits until it is idle.
    if (mayClose(wizard_))
        event->accept();
    else
        event->ignore();
}

}  // namespace tovrin
