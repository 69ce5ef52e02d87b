// The Qt window itself: its widgets, their initial state, limits and tab order, and the
// wiring of each event to its procedure. The window is handed the tests' answered dialogs, so
// nothing modal ever opens.

#include <QAbstractItemView>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <filesystem>

#include "src/app/form_design.h"
#include "src/app/qt/form1.h"
#include "src/app/start_up.h"
#include "src/platform/path.h"
#include "tests/support/answered_dialogs.h"
#include "tests/support/build_fixture.h"
#include "tests/support/fake_starter.h"
#include "tests/support/temp_dir.h"

using namespace tovrin;

class Form1Test : public QObject {
    Q_OBJECT

    test::FakeStarter starter;
    test::AnsweredDialogs dialogs;
    std::unique_ptr<Form1> form;
    std::vector<test::ShownMessage>& shown = dialogs.messages;

    template <class T>
    T* get(Control c) {
        return qobject_cast<T*>(form->widget(c));
    }

    // The seam, as the procedures see the window.
    Window& w() { return form->controls(); }

    void makeForm(const std::string& app, ScriptStarter& s) {
        form = std::make_unique<Form1>(app, s, &dialogs);
        dialogs = test::AnsweredDialogs();
    }

private slots:
    void init() { makeForm(TOVRIN_APP_DIR, starter); }
    void cleanup() { form.reset(); }

    void initialState() {
        QCOMPARE(form->windowTitle(), QString("Tovrin Wizard by Quen"));
        // 419 x 529 pixels, or larger in proportion where the default font needs it.
        QVERIFY(form->width() >= 419);
        QVERIFY(std::abs(form->width() * 529.0 / form->height() - 419.0) < 2.0);
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(form->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(form->windowFlags() & Qt::WindowCloseButtonHint);
        QCOMPARE(form->windowIcon().availableSizes().value(0), QSize(16, 16));

        // Every control as the design has it.
        for (const ControlDesign& d : formDesign()) {
            if (d.kind == ControlKind::Timer) {
                QCOMPARE(form->timer(d.control)->interval(), d.interval);
                QCOMPARE(w().enabled(d.control), d.enabled);
                continue;
            }
            QCOMPARE(w().text(d.control), std::string(d.text));
            QCOMPARE(w().enabled(d.control), d.enabled);
            QCOMPARE(w().visible(d.control), d.visible);
            if (d.kind == ControlKind::CheckBox) QCOMPARE(w().value(d.control), d.value);
        }
        QCOMPARE(get<QComboBox>(Control::CmbLang)->currentIndex(), -1);
        QVERIFY(!get<QComboBox>(Control::CmbLang)->isEditable());
        QCOMPARE(w().listCount(), 0);
        QCOMPARE(get<QLabel>(Control::Label7)->font().pointSize(), kBusyFontPoints);
        QVERIFY(get<QLabel>(Control::Label7)->alignment() & Qt::AlignHCenter);
        // The busy panel lies above the list.
        QVERIFY(form->widget(Control::Frame1)
                    ->geometry()
                    .intersects(form->widget(Control::List1)->geometry()));
    }

    void characterLimits_data() {
        QTest::addColumn<int>("control");
        QTest::addColumn<int>("limit");
        for (const ControlDesign& d : formDesign())
            if (d.kind == ControlKind::TextBox && d.maxLength)
                QTest::addRow("control %d", int(d.control)) << int(d.control) << d.maxLength;
    }
    void characterLimits() {
        QFETCH(int, control);
        QFETCH(int, limit);
        auto* edit = get<QLineEdit>(Control(control));
        edit->clear();
        QTest::keyClicks(edit, QString(limit + 1, QChar('7')));
        QCOMPARE(edit->text().size(), limit);
    }

    // The names a screen reader finds, read back through Qt's accessibility layer; the "..."
    // buttons keep their caption.
    void accessibleNames_data() {
        QTest::addColumn<int>("control");
        QTest::addColumn<QString>("name");
        QTest::newRow("txtProjPath") << int(Control::txtProjPath) << "Project path";
        QTest::newRow("cmdBrowse") << int(Control::cmdBrowse) << "Choose the project folder";
        QTest::newRow("txtDest") << int(Control::txtDest) << "Dest. folder";
        QTest::newRow("cmdDestFol") << int(Control::cmdDestFol) << "Choose the destination folder";
        QTest::newRow("CmbLang") << int(Control::CmbLang) << "Select language";
        QTest::newRow("txtName") << int(Control::txtName) << "Name of the program";
        QTest::newRow("txtUID") << int(Control::txtUID) << "UID";
        QTest::newRow("ckSupp") << int(Control::ckSupp) << "Support all symbians";
        QTest::newRow("txtVer") << int(Control::txtVer) << "Ver.";
        QTest::newRow("txtMin") << int(Control::txtMin) << "Min.";
        QTest::newRow("txtBuild") << int(Control::txtBuild) << "Build";
        QTest::newRow("List1") << int(Control::List1) << "Files to package";
        QTest::newRow("cmdDo") << int(Control::cmdDo) << "Create .sis file";
    }
    void accessibleNames() {
        QFETCH(int, control);
        QFETCH(QString, name);
        QAccessibleInterface* accessible =
            QAccessible::queryAccessibleInterface(form->widget(Control(control)));
        QVERIFY(accessible);
        QCOMPARE(accessible->text(QAccessible::Name), name);
        if (auto* button = get<QPushButton>(Control(control)))
            QCOMPARE(button->text(), QString(designOf(Control(control)).text));
    }

    void tabOrder() {
        form->show();
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QCOMPARE(QApplication::focusWidget(), form->widget(Control::CmbLang));
        const Control expected[] = {Control::txtName, Control::txtUID,   Control::Command2,
                                    Control::txtVer,  Control::txtMin,   Control::txtBuild,
                                    Control::ckSupp,  Control::List1,    Control::cmdBrowse,
                                    Control::cmdDo,   Control::Command1, Control::cmdDestFol,
                                    Control::readUi,  Control::CmbLang};
        for (Control c : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), form->widget(c));
        }
    }

    void greyedCheckBoxCountsAsValueTwo() {
        get<QCheckBox>(Control::ckSupp)->setCheckState(Qt::PartiallyChecked);
        QCOMPARE(w().value(Control::ckSupp), 2);
        get<QCheckBox>(Control::ckSupp)->setCheckState(Qt::Unchecked);
        QCOMPARE(w().value(Control::ckSupp), 0);
    }

    // The language list decides the order; the box sorts nothing itself.
    void languageBoxKeepsTheOrderItIsGiven() {
        const char* const given[] = {"SW - Swedish", " Default - English", "da - Danish"};
        for (const char* entry : given) w().comboAdd(entry);
        auto* box = get<QComboBox>(Control::CmbLang);
        QCOMPARE(box->count(), 3);
        for (int i = 0; i < 3; ++i) QCOMPARE(box->itemText(i), QString(given[i]));
        QCOMPARE(box->currentIndex(), -1);
    }

    void languageListPicksNothing() {
        Form_Load(w(), TOVRIN_APP_DIR);
        auto* box = get<QComboBox>(Control::CmbLang);
        QCOMPARE(box->itemText(0), QString(" Default - English"));
        QVERIFY(box->count() > 90);
        QCOMPARE(w().text(Control::CmbLang), std::string());
        box->setCurrentIndex(box->findText("FR - French"));
        QCOMPARE(w().text(Control::CmbLang), std::string("FR - French"));
        QVERIFY(shown.empty());
    }

    void buttonsShowTheirBoxes() {
        QTest::mouseClick(get<QPushButton>(Control::Command1), Qt::LeftButton);
        QTest::mouseClick(get<QPushButton>(Control::Command2), Qt::LeftButton);
        QCOMPARE(shown.size(), size_t(2));
        QCOMPARE(shown[0].title, std::string("About"));
        QCOMPARE(shown[1].title, std::string("UID Info"));
        QCOMPARE(w().text(Control::txtName), std::string("Name"));  // nothing else changes
    }

    void folderButtonsFillTheBoxesAndTheList() {
        test::TempDir dir;
        dir.write("a.app", "a");
        dir.write("s/c.rsc", "c");
        dialogs.folderAnswers.push_back({true, dir.str()});
        QTest::mouseClick(get<QPushButton>(Control::cmdBrowse), Qt::LeftButton);
        const std::string chosen = dir.str() + kSeparator;
        QCOMPARE(w().text(Control::txtProjPath), chosen);
        QCOMPARE(w().text(Control::txtDest), chosen);
        QCOMPARE(w().listCount(), 2);
        QCOMPARE(w().listItem(0), std::string(1, kSeparator) + "a.app");

        dialogs.folderAnswers.push_back({false, ""});
        QTest::mouseClick(get<QPushButton>(Control::cmdDestFol), Qt::LeftButton);
        QCOMPARE(w().text(Control::txtDest), std::string());
        QCOMPARE(w().text(Control::txtProjPath), chosen);
    }

    // A file named in a single-byte code page: the list gives back its bytes, the package
    // script names it as the disk does, and the create command leaves the last entry selected
    // and in view.
    void fileNameBytesReachThePackageScript() {
        test::BuildFolders f;
        const std::string latin1 = "caf\xE9.txt";
        f.root.write("proj/" + latin1, "x");
        for (int i = 0; i < 40; ++i) f.root.write("proj/more/" + std::to_string(i) + ".txt", "x");
        makeForm(f.app, starter);
        form->show();
        dialogs.folderAnswers.push_back({true, f.project.substr(0, f.project.size() - 1)});
        QTest::mouseClick(get<QPushButton>(Control::cmdBrowse), Qt::LeftButton);
        QCOMPARE(w().listCount(), 41);
        QCOMPARE(w().listItem(0), kSeparator + latin1);

        QTest::mouseClick(get<QPushButton>(Control::cmdDo), Qt::LeftButton);
        QVERIFY(shown.empty());
        const std::string script = test::readFile(f.bin("temp.pkg"));
        QVERIFY(script.find("\"" + f.project + latin1 + "\"-\"!:\\" + latin1 + "\"\r\n") !=
                std::string::npos);
        auto* list = qobject_cast<QAbstractItemView*>(form->widget(Control::List1));
        QTRY_COMPARE(list->currentIndex().row(), 40);
        QVERIFY(list->viewport()->rect().intersects(list->visualRect(list->currentIndex())));
    }

    void takeFromAFileSetsTheUid() {
        test::TempDir dir;
        auto file = dir.write("x.sis", std::string("\x91\x5B\x00\x10", 4));
        dialogs.fileAnswers.push_back({true, file.string()});
        QTest::mouseClick(get<QPushButton>(Control::readUi), Qt::LeftButton);
        QCOMPARE(dialogs.fileDialogCalls.size(), size_t(1));
        const std::string askedTitle = dialogs.fileDialogCalls[0][0];
        QCOMPARE(askedTitle, std::string("Open a sis file"));
        QCOMPARE(w().text(Control::txtUID), std::string("10005B91"));
    }

    void failedCheckShowsItsErrorAndStaysIdle() {
        QTest::mouseClick(get<QPushButton>(Control::cmdDo), Qt::LeftButton);
        QCOMPARE(shown.size(), size_t(1));
        QCOMPARE(shown[0].text, std::string("Insert a Path for the destination"));
        QCOMPARE(shown[0].icon, MessageIcon::Error);
        QVERIFY(form->isEnabled());
        QVERIFY(!w().enabled(Control::Timer1));
    }

    // A real build: the real interpreter, the test compiler and the window's own timers.
    void wholeBuildThroughTheWindow() {
        test::BuildFolders f;
        f.root.write("proj/x.app", "x");
        f.root.write("out/Demo.sis", "earlier");
        auto realStarter = makeScriptStarter(f.app);
        makeForm(f.app, *realStarter);
        form->show();
        w().setText(Control::txtProjPath, f.project);
        w().setText(Control::txtDest, f.destination);
        w().setText(Control::txtName, "Demo");

        QTest::mouseClick(get<QPushButton>(Control::cmdDo), Qt::LeftButton);
        QVERIFY(!form->isEnabled());
        QVERIFY(w().visible(Control::Frame1));
        QVERIFY(w().enabled(Control::Timer1));
        QVERIFY(!form->close());  // refused while the build runs
        // "Working Hard..." stays black, not greyed, although the window is disabled.
        const QImage busy = form->widget(Control::Label7)->grab().toImage();
        int darkest = 255;
        for (int y = 0; y < busy.height(); ++y)
            for (int x = 0; x < busy.width(); ++x)
                darkest = std::min(darkest, qGray(busy.pixel(x, y)));
        QVERIFY2(darkest < 64, std::to_string(darkest).c_str());

        QTRY_VERIFY_WITH_TIMEOUT(form->isEnabled() && !w().enabled(Control::Timer2), 20000);
        QVERIFY(!w().enabled(Control::Timer1));
        QVERIFY(!w().visible(Control::Frame1));
        QVERIFY(shown.empty());
        const std::string sis = test::readFile(f.destination + "Demo.sis");
        QVERIFY2(sis.rfind("test package\n", 0) == 0, sis.c_str());
        QVERIFY(sis.find("x.app\"-\"!:\\x.app\"") != std::string::npos);
        QVERIFY(!std::filesystem::exists(f.bin("del.bat")));
        QVERIFY(form->close());
    }

    // Disabling the window took the focus away; it comes back to "Create .sis file" once the
    // build is over, also when it ends with a box (here: the destination is gone).
    void focusReturnsToCreateAfterABuildAndItsBox() {
        test::BuildFolders f;
        f.root.write("proj/x.app", "x");
        std::filesystem::remove_all(f.destination);
        auto realStarter = makeScriptStarter(f.app);
        makeForm(f.app, *realStarter);
        form->show();
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        w().setText(Control::txtProjPath, f.project);
        w().setText(Control::txtDest, f.destination);
        QTest::mouseClick(get<QPushButton>(Control::cmdDo), Qt::LeftButton);
        QVERIFY(!form->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(form->isEnabled() && !w().enabled(Control::Timer2), 20000);
        QCOMPARE(shown.size(), size_t(1));
        QCOMPARE(shown[0].text,
                 "The package could not be copied to " + f.destination + "Name.sis.");
        QCOMPARE(QApplication::focusWidget(), form->widget(Control::cmdDo));
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
