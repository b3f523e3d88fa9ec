// The Help menu: the About dialog over the main window, the help topics, and F1 on the
// window's parts and menus.
#include "HelpTopics.h"
#include "HelpViewer.h"
#include "ProgramVersion.h"
#include "QtPrinters.h"
#include "TAbout_Form.h"
#include "WindowFixture.h"
#include "WindowPlacement.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

namespace {

struct CentringCase {
    const char* name;
    QRect mainFrame;
    QSize dialogFrame;
    QPoint expected;
};

void PrintTo(const CentringCase& c, std::ostream* os) { *os << c.name; }

class AboutCentringTest : public ::testing::TestWithParam<CentringCase> {};

TEST_P(AboutCentringTest, HalvesRoundTowardZeroAndNothingIsClampedToTheScreen)
{
    const CentringCase& c = GetParam();
    EXPECT_EQ(TAbout_Form::centredOver(c.mainFrame, c.dialogFrame), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, AboutCentringTest,
    ::testing::Values(
        CentringCase{"OddSizes", {100, 50, 981, 718}, {554, 209}, {313, 305}},
        CentringCase{"PartlyOffTheScreen", {-500, -300, 981, 718}, {554, 209}, {-287, -45}},
        CentringCase{"DialogWiderThanTheWindow", {0, 0, 300, 201}, {554, 209}, {-127, -4}}),
    [](const auto& info) { return std::string(info.param.name); });

class AboutTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        plug(1);
        showWindow();
    }
    // Chooses Help > About; `whileShown` runs while the modal dialog is open.
    int showAbout(const std::function<void(TAbout_Form*)>& whileShown)
    {
        TAbout_Form* about = window->aboutForm();
        QTimer::singleShot(0, about, [about, whileShown] {
            whileShown(about);
            if (about->isVisible())
                about->reject();
        });
        click("About");
        return about->result();
    }
};

TEST_F(AboutTest, ShowsNameAndVersionModallyCentredOverTheWindowEachTime)
{
    window->move(100, 50);
    window->resize(981, 718);
    int result = showAbout([&](TAbout_Form* about) {
        EXPECT_EQ(QApplication::activeModalWidget(), about);
        EXPECT_EQ(about->windowTitle(), "About Serivox");
        EXPECT_EQ(about->size(), QSize(538, 171));
        EXPECT_EQ(about->findChild<QLabel*>("AboutTitle")->text(), "Serivox V1.10");
        auto* credit = about->findChild<QLabel*>("Label1");
        EXPECT_FALSE(credit->text().isEmpty());
        EXPECT_LE(credit->geometry().right(), about->width()) << "the credit line is cut off";
        EXPECT_EQ(about->frameGeometry().topLeft(), QPoint(100 + 490 - 269, 50 + 359 - 85));
        auto* close = about->findChild<QPushButton*>("AboutClose");
        EXPECT_EQ(close->text(), "Close");
        EXPECT_EQ(close->geometry(), QRect(223, 128, 75, 25));
        QTest::mouseClick(close, Qt::LeftButton);
    });
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(window->aboutForm()->isVisible());

    // Moved and resized, partly off the screen: the dialog follows by the same rule.
    window->move(-200, 400);
    window->resize(600, 400);
    showAbout([](TAbout_Form* about) {
        EXPECT_EQ(about->frameGeometry().topLeft(), QPoint(-200 + 300 - 269, 400 + 200 - 85));
    });
}

TEST(AboutVersionTest, TitleShowsTheVersionTheProgramRunsAs)
{
    TerminalState state;
    state.versionText = QStringLiteral("1.10B");
    QWidget mainWindow;
    TAbout_Form about(state, &mainWindow);
    about.show();
    EXPECT_EQ(about.findChild<QLabel*>("AboutTitle")->text(), "Serivox V1.10B");
}

class HelpTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        plug(1);
        showWindow();
    }
    HelpViewer* viewer() const { return window->helpViewer(); }
    int shownContext() const { return viewer() && viewer()->isVisible() ? viewer()->context() : 0; }
};

TEST_F(HelpTest, HelpMenuShowsTheContentsAndAbout)
{
    auto* help = window->findChild<QMenu*>("Help1");
    ASSERT_NE(help, nullptr);
    ASSERT_FALSE(window->menuBar()->actions().isEmpty());
    EXPECT_EQ(window->menuBar()->actions().last(), help->menuAction());
    QStringList items;
    for (QAction* item : help->actions())
        items.append(item->objectName() + "=" + item->text());
    EXPECT_EQ(items, (QStringList{"ShowHelp=Show Help", "About=About"}));

    click("ShowHelp");
    EXPECT_EQ(shownContext(), 1);
    EXPECT_EQ(viewer()->source().toString(), "qrc:/Serivox.chm/index.html");
    EXPECT_TRUE(viewer()->shownText().startsWith("Serivox Help"));
}

// Every context number leads to a page of the help, every link on a page to another.
TEST(HelpTopicsTest, EveryContextAndEveryLinkLeadsToAPlaceInTheHelp)
{
    auto pageText = [](const QString& path) {
        QFile page(QStringLiteral(":") + path);
        return page.open(QIODevice::ReadOnly) ? QString::fromUtf8(page.readAll()) : QString();
    };
    auto expectPlace = [&](const QUrl& url, const QString& from) {
        const QString text = pageText(url.path());
        EXPECT_TRUE(text.contains("<h1>"))
            << url.toString().toStdString() << " from " << from.toStdString();
        if (url.hasFragment()) {
            EXPECT_TRUE(text.contains(QStringLiteral("name=\"%1\"").arg(url.fragment())))
                << url.toString().toStdString();
        }
    };
    const QRegularExpression link(QStringLiteral("href=\"([^\"]+)\""));
    for (int context : helpContextsWithTopics()) {
        const QUrl topic = helpTopic(QStringLiteral("Serivox.chm"), context);
        expectPlace(topic, QString::number(context));
        for (const auto& match : link.globalMatch(pageText(topic.path())))
            expectPlace(topic.resolved(QUrl(match.captured(1))), topic.path());
    }
    // A number without a topic of its own opens the contents.
    EXPECT_EQ(helpTopic(QStringLiteral("Serivox.chm"), 999), helpTopic("Serivox.chm", 1));
}

// The help window belongs to the main window, but F1 in it is about the help, not about the
// main window; a dialog without a topic of its own opens nothing.
TEST_F(HelpTest, F1InTheHelpWindowShowsHowToUseTheHelp)
{
    click("ShowHelp");
    QTest::keyClick(viewer()->findChild<QWidget*>("HelpText"), Qt::Key_F1);
    EXPECT_EQ(shownContext(), helpViewerContext);
    EXPECT_EQ(viewer()->source().toString(), "qrc:/Serivox.chm/using-help.html");
    EXPECT_TRUE(viewer()->shownText().startsWith("Using the help"));
}

TEST_F(HelpTest, F1InTheAboutDialogOpensNothing)
{
    TAbout_Form* about = window->aboutForm();
    QTimer::singleShot(0, about, [about] {
        QTest::keyClick(about->findChild<QPushButton*>("AboutClose"), Qt::Key_F1);
        about->reject();
    });
    click("About");
    EXPECT_EQ(shownContext(), 0);
}

// The contents lead to a topic that tells the version the program runs as, its copyright and
// licence, and where to report a fault.
TEST(HelpTopicsTest, TheLicenceTopicTellsTheVersionLicenceAndWhereToReportFaults)
{
    const QUrl contents = helpTopic(QStringLiteral("Serivox.chm"), 1);
    QFile index(QStringLiteral(":") + contents.path());
    ASSERT_TRUE(index.open(QIODevice::ReadOnly));
    EXPECT_TRUE(index.readAll().contains("href=\"licence.html\""));

    QFile page(QStringLiteral(":") + contents.resolved(QUrl("licence.html")).path());
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(page.readAll());
    for (const QString& part :
         {"Serivox " + versionText(compiledVersion()),
          QStringLiteral("Copyright Serivox developers"), QStringLiteral("GPL-3.0-or-later"),
          QStringLiteral("Serivox issue tracker")})
        EXPECT_TRUE(text.contains(part)) << part.toStdString();
    EXPECT_FALSE(text.contains('@')) << "a value was not filled in";
}

struct F1Case {
    const char* name;
    const char* control; // the control with the keyboard, or the open menu
    int context;
};

void PrintTo(const F1Case& c, std::ostream* os) { *os << c.name; }

class F1Test : public HelpTest, public ::testing::WithParamInterface<F1Case> {};

// F1 goes where the keyboard goes: to the open menu, else to the control with the focus.
TEST_P(F1Test, OpensTheTopicOfWhatHasTheKeyboard)
{
    const F1Case& c = GetParam();
    showAllToolBars();
    if (auto* menu = control<QMenu>(c.control)) {
        menu->popup(window->mapToGlobal(QPoint(20, 20)));
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == menu; }));
    } else {
        auto* widget = control<QWidget>(c.control);
        ASSERT_NE(widget, nullptr) << c.control;
        widget->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return widget->hasFocus(); }));
    }
    QTest::keyClick(window->windowHandle(), Qt::Key_F1);
    EXPECT_EQ(shownContext(), c.context);
    EXPECT_EQ(viewer()->source(), helpTopic("Serivox.chm", c.context));
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
}

INSTANTIATE_TEST_SUITE_P(
    Parts, F1Test,
    ::testing::Values(F1Case{"TerminalList", "ListBox1", 58}, F1Case{"MacBox", "ComboBox1", 15},
                      F1Case{"SendBoxPassesToTheMainToolBar", "ESend", 3},
                      F1Case{"SppButtonPassesToItsToolBar", "CALL", 2},
                      F1Case{"BgioButtonPassesToTheWindow", "BGIOON", 30},
                      F1Case{"CommandListPassesToTheWindow", "IWrap", 30},
                      F1Case{"FileMenu", "File1", 34},
                      F1Case{"ComSubmenuPassesToTheComMenu", "COM21to30", 35},
                      F1Case{"ParametersMenu", "Baud1", 36}, F1Case{"ViewMenu", "View1", 37},
                      F1Case{"CommandsMenu", "Commands1", 38}, F1Case{"HelpMenu", "Help1", 39},
                      F1Case{"TerminalListPopupMenu", "PopupMenu1", 58}),
    [](const auto& info) { return std::string(info.param.name); });

struct PlacementCase {
    const char* name;
    SavedPlacement saved;
    QRect expected;
};

void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.name; }

class WindowPlacementTest : public ::testing::TestWithParam<PlacementCase> {};

// Two screens side by side, the primary one on the left with a panel along its top.
TEST_P(WindowPlacementTest, SavedPlacementStaysOnSomeScreen)
{
    const ScreenLayout layout{{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)},
                              QRect(0, 32, 1920, 1048)};
    const QRect designed(0, 0, 965, 700);
    EXPECT_EQ(restoredPlacement(GetParam().saved, designed, layout), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Placements, WindowPlacementTest,
    ::testing::Values(
        PlacementCase{"NothingSaved", {}, {0, 0, 965, 700}},
        PlacementCase{"OnTheSecondScreen", {2000, 100, 800, 600}, {2000, 100, 800, 600}},
        PlacementCase{"PartlyOnAScreen", {-700, -500, 800, 600}, {-700, -500, 800, 600}},
        PlacementCase{"WhereAScreenWas", {3300, 200, 800, 600}, {0, 32, 800, 600}},
        PlacementCase{"BelowTheNarrowScreen", {2000, 1030, 800, 600}, {0, 32, 800, 600}},
        PlacementCase{"AtTheEndsOfTheRange", {INT_MAX, INT_MIN, 800, 600}, {0, 32, 800, 600}},
        PlacementCase{"WiderThanAllScreens", {10, 10, INT_MAX, INT_MAX}, {10, 10, 3200, 1080}},
        PlacementCase{"NoSize", {10, 10, -5, 0}, {10, 10, 1, 1}},
        PlacementCase{"OnlyThePosition", {50, 60, {}, {}}, {50, 60, 965, 700}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
