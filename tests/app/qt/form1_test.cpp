// The Qt window itself: its widgets, their initial state, limits and tab order, and the
// wiring of each event to its procedure. Message boxes and dialogs go through the window's
// hooks, so nothing modal ever opens.

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
#include "tests/support/build_fixture.h"
#include "tests/support/fake_starter.h"
#include "tests/support/temp_dir.h"

using namespace tovrin;

namespace {

struct Shown {
    std::string text, title;
    MessageIcon icon;
};

}  // namespace

class Form1Test : public QObject {
    Q_OBJECT

    test::FakeStarter starter;
    std::unique_ptr<Form1> form;
    std::vector<Shown> shown;

    template <class T>
    T* get(Control c) {
        return qobject_cast<T*>(form->widget(c));
    }

    void makeForm(const std::string& app, ScriptStarter& s) {
        form = std::make_unique<Form1>(app, s);
        shown.clear();
        form->messageHook = [this](const std::string& t, const std::string& title, MessageIcon i) {
            shown.push_back({t, title, i});
        };
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

        QCOMPARE(form->text(Control::txtName), std::string("Name"));
        QCOMPARE(form->text(Control::txtUID), std::string("01000000"));
        QCOMPARE(form->text(Control::txtVer), std::string("1"));
        QCOMPARE(form->text(Control::txtMin), std::string("0"));
        QCOMPARE(form->text(Control::txtBuild), std::string("0"));
        QCOMPARE(form->text(Control::txtProjPath), std::string());
        QVERIFY(!get<QLineEdit>(Control::txtProjPath)->isEnabled());
        QVERIFY(!get<QLineEdit>(Control::txtDest)->isEnabled());
        QCOMPARE(form->value(Control::ckSupp), 1);
        QCOMPARE(get<QCheckBox>(Control::ckSupp)->text(), QString("Support all symbians"));
        QCOMPARE(get<QComboBox>(Control::CmbLang)->currentIndex(), -1);
        QVERIFY(!get<QComboBox>(Control::CmbLang)->isEditable());
        QCOMPARE(form->listCount(), 0);
        QVERIFY(!form->visible(Control::Frame1));
        QCOMPARE(get<QLabel>(Control::Label7)->text(), QString("Working Hard..."));
        QCOMPARE(get<QLabel>(Control::Label7)->font().pointSize(), 24);
        QVERIFY(get<QLabel>(Control::Label7)->alignment() & Qt::AlignHCenter);
        QCOMPARE(get<QPushButton>(Control::cmdDo)->text(), QString("Create .sis file"));
        QCOMPARE(get<QPushButton>(Control::readUi)->text(), QString("Take from a file"));
        QCOMPARE(form->timer(Control::Timer1)->interval(), 700);
        QCOMPARE(form->timer(Control::Timer2)->interval(), 500);
        QVERIFY(!form->enabled(Control::Timer1));
        QVERIFY(!form->enabled(Control::Timer2));
        // The busy panel lies above the list.
        QVERIFY(form->widget(Control::Frame1)
                    ->geometry()
                    .intersects(form->widget(Control::List1)->geometry()));
    }

    void characterLimits_data() {
        QTest::addColumn<int>("control");
        QTest::addColumn<int>("limit");
        QTest::newRow("txtName") << int(Control::txtName) << 24;
        QTest::newRow("txtUID") << int(Control::txtUID) << 8;
        QTest::newRow("txtVer") << int(Control::txtVer) << 1;
        QTest::newRow("txtMin") << int(Control::txtMin) << 1;
        QTest::newRow("txtBuild") << int(Control::txtBuild) << 1;
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
        QCOMPARE(form->value(Control::ckSupp), 2);
        get<QCheckBox>(Control::ckSupp)->setCheckState(Qt::Unchecked);
        QCOMPARE(form->value(Control::ckSupp), 0);
    }

    // The language list decides the order; the box sorts nothing itself.
    void languageBoxKeepsTheOrderItIsGiven() {
        const char* const given[] = {"SW - Swedish", " Default - English", "da - Danish"};
        for (const char* entry : given) form->comboAdd(entry);
        auto* box = get<QComboBox>(Control::CmbLang);
        QCOMPARE(box->count(), 3);
        for (int i = 0; i < 3; ++i) QCOMPARE(box->itemText(i), QString(given[i]));
        QCOMPARE(box->currentIndex(), -1);
    }

    void languageListPicksNothing() {
        Form_Load(*form, TOVRIN_APP_DIR);
        auto* box = get<QComboBox>(Control::CmbLang);
        QCOMPARE(box->itemText(0), QString(" Default - English"));
        QVERIFY(box->count() > 90);
        QCOMPARE(form->text(Control::CmbLang), std::string());
        box->setCurrentIndex(box->findText("FR - French"));
        QCOMPARE(form->text(Control::CmbLang), std::string("FR - French"));
        QVERIFY(shown.empty());
    }

    void buttonsShowTheirBoxes() {
        QTest::mouseClick(get<QPushButton>(Control::Command1), Qt::LeftButton);
        QTest::mouseClick(get<QPushButton>(Control::Command2), Qt::LeftButton);
        QCOMPARE(shown.size(), size_t(2));
        QCOMPARE(shown[0].title, std::string("About"));
        QCOMPARE(shown[1].title, std::string("UID Info"));
        QCOMPARE(form->text(Control::txtName), std::string("Name"));  // nothing else changes
    }

    void folderButtonsFillTheBoxesAndTheList() {
        test::TempDir dir;
        dir.write("a.app", "a");
        dir.write("s/c.rsc", "c");
        form->folderHook = [&](std::string* path) {
            *path = dir.str();
            return true;
        };
        QTest::mouseClick(get<QPushButton>(Control::cmdBrowse), Qt::LeftButton);
        const std::string chosen = dir.str() + kSeparator;
        QCOMPARE(form->text(Control::txtProjPath), chosen);
        QCOMPARE(form->text(Control::txtDest), chosen);
        QCOMPARE(form->listCount(), 2);
        QCOMPARE(form->listItem(0), std::string(1, kSeparator) + "a.app");

        form->folderHook = [](std::string*) { return false; };
        QTest::mouseClick(get<QPushButton>(Control::cmdDestFol), Qt::LeftButton);
        QCOMPARE(form->text(Control::txtDest), std::string());
        QCOMPARE(form->text(Control::txtProjPath), chosen);
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
        form->folderHook = [&](std::string* path) {
            *path = f.project.substr(0, f.project.size() - 1);
            return true;
        };
        QTest::mouseClick(get<QPushButton>(Control::cmdBrowse), Qt::LeftButton);
        QCOMPARE(form->listCount(), 41);
        QCOMPARE(form->listItem(0), kSeparator + latin1);

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
        std::string askedTitle;
        form->openFileHook = [&](const std::string& title, std::string* path) {
            askedTitle = title;
            *path = file.string();
            return true;
        };
        QTest::mouseClick(get<QPushButton>(Control::readUi), Qt::LeftButton);
        QCOMPARE(askedTitle, std::string("Open a sis file"));
        QCOMPARE(form->text(Control::txtUID), std::string("10005B91"));
    }

    void failedCheckShowsItsErrorAndStaysIdle() {
        QTest::mouseClick(get<QPushButton>(Control::cmdDo), Qt::LeftButton);
        QCOMPARE(shown.size(), size_t(1));
        QCOMPARE(shown[0].text, std::string("Insert a Path for the destination"));
        QCOMPARE(shown[0].icon, MessageIcon::Error);
        QVERIFY(form->isEnabled());
        QVERIFY(!form->enabled(Control::Timer1));
    }

    // A real build: the real interpreter, the test compiler and the window's own timers.
    void wholeBuildThroughTheWindow() {
        test::BuildFolders f;
        f.root.write("proj/x.app", "x");
        f.root.write("out/Demo.sis", "earlier");
        auto realStarter = makeScriptStarter(f.app);
        makeForm(f.app, *realStarter);
        form->show();
        form->setText(Control::txtProjPath, f.project);
        form->setText(Control::txtDest, f.destination);
        form->setText(Control::txtName, "Demo");

        QTest::mouseClick(get<QPushButton>(Control::cmdDo), Qt::LeftButton);
        QVERIFY(!form->isEnabled());
        QVERIFY(form->visible(Control::Frame1));
        QVERIFY(form->enabled(Control::Timer1));
        QVERIFY(!form->close());  // refused while the build runs
        // "Working Hard..." stays black, not greyed, although the window is disabled.
        const QImage busy = form->widget(Control::Label7)->grab().toImage();
        int darkest = 255;
        for (int y = 0; y < busy.height(); ++y)
            for (int x = 0; x < busy.width(); ++x)
                darkest = std::min(darkest, qGray(busy.pixel(x, y)));
        QVERIFY2(darkest < 64, std::to_string(darkest).c_str());

        QTRY_VERIFY_WITH_TIMEOUT(form->isEnabled() && !form->enabled(Control::Timer2), 20000);
        QVERIFY(!form->enabled(Control::Timer1));
        QVERIFY(!form->visible(Control::Frame1));
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
        form->setText(Control::txtProjPath, f.project);
        form->setText(Control::txtDest, f.destination);
        QTest::mouseClick(get<QPushButton>(Control::cmdDo), Qt::LeftButton);
        QVERIFY(!form->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(form->isEnabled() && !form->enabled(Control::Timer2), 20000);
        QCOMPARE(shown.size(), size_t(1));
        QCOMPARE(shown[0].text,
                 "The package could not be copied to " + f.destination + "Name.sis.");
        QCOMPARE(QApplication::focusWidget(), form->widget(Control::cmdDo));
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
