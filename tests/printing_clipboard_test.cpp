// Copying the terminal list, pasting into it, printing the window and choosing the printer,
// with the print dialogs answered from a script and the pages printed to PDF files.
#include "PrinterDialogs.h"
#include "QtPrinters.h"
#include "TerminalView.h"
#include "WindowFixture.h"
#include "WindowPrinting.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// Answers the print dialogs and notes the list's colours while they are open.
class ScriptedPrinterDialogs : public PrinterDialogs {
public:
    explicit ScriptedPrinterDialogs(const QWidget& list) : m_list(list) {}

    bool PrintDialog1(QPrinter& printer) override
    {
        coloursWhileAsked = coloursOf(m_list);
        if (choosePrint)
            choosePrint(printer);
        return print;
    }
    void PrinterSetupDialog1(QPrinter& printer) override
    {
        if (chooseSetup)
            chooseSetup(printer);
    }

    static QString coloursOf(const QWidget& list)
    {
        return list.palette().color(QPalette::Text).name() + " on " +
               list.palette().color(QPalette::Base).name();
    }

    bool print = true;
    std::function<void(QPrinter&)> choosePrint;
    std::function<void(QPrinter&)> chooseSetup;
    QString coloursWhileAsked;

private:
    const QWidget& m_list;
};

void printToPdf(QPrinter& printer, const QString& path)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
}

// The pages of a PDF file that Qt wrote, as their media boxes ("0 0 595 842").
QStringList pdfPages(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString pdf = QString::fromLatin1(file.readAll());
    QStringList pages;
    static const QRegularExpression page(
        QStringLiteral(R"(/Type\s*/Page\b(?!s)[^>]*?/MediaBox\s*\[\s*([^\]]*?)\s*\])"),
        QRegularExpression::DotMatchesEverythingOption);
    for (const auto& match : page.globalMatch(pdf))
        pages.append(match.captured(1).simplified());
    return pages;
}

const QString normalColours = "#0000ff on #e8e8ff";
const QString greenOnBlack = "#00ff00 on #000000";
const QString printColours = "#000000 on #ffffff";

class PrintingClipboardTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        module = &plug(1);
        showWindow();
        dialogs = std::make_unique<ScriptedPrinterDialogs>(list());
        window->printing().setDialogs(dialogs.get());
    }
    void TearDown() override { window->printing().setDialogs(nullptr); }

    QWidget& list() const { return *control<QWidget>("ListBox1"); }
    QString listColours() const { return ScriptedPrinterDialogs::coloursOf(list()); }
    QClipboard& clipboard() const { return *QApplication::clipboard(); }
    QStringList lines()
    {
        QStringList all;
        for (int i = 0; i < core().lines().count(); ++i)
            all.append(core().lines().line(i));
        return all;
    }

    PtyPeer* module = nullptr;
    std::unique_ptr<ScriptedPrinterDialogs> dialogs;
    QTemporaryDir outputDir;
};

TEST_F(PrintingClipboardTest, CopyEndsEveryLineWithCrLf)
{
    clipboard().setText("left over");
    click("Copy");
    EXPECT_EQ(clipboard().text(), "");

    core().list().AddtoList(1, "A");
    core().list().AddtoList(0, "B");
    ASSERT_EQ(lines(), (QStringList{"A", "B"}));
    click("Copy1");
    EXPECT_EQ(clipboard().text(), "A\r\nB\r\n");
}

TEST_F(PrintingClipboardTest, PasteAddsTheClipboardAsOneLineThatReceivedTextExtends)
{
    core().list().AddtoList(0, "before");
    clipboard().setText("one\r\ntwo");
    click("Paste1");
    EXPECT_EQ(lines(), (QStringList{"before", "one\r\ntwo"}));
    EXPECT_TRUE(module->read(100).isEmpty()); // nothing goes to the module

    module->send("x");
    ASSERT_TRUE(QTest::qWaitFor([&] { return lines().last().endsWith('x'); }, 5000));
    EXPECT_EQ(lines(), (QStringList{"before", "one\r\ntwox"}));

    clipboard().clear();
    click("Paste1");
    ASSERT_EQ(lines().size(), 3);
    EXPECT_EQ(lines().last(), "");
}

// Whether Green on Black is on, whether the person prints or cancels.
struct PrintCase {
    bool greenOnBlack;
    bool print;
};

void PrintTo(const PrintCase& c, std::ostream* os)
{
    *os << (c.greenOnBlack ? "green on black, " : "blue on pale blue, ")
        << (c.print ? "printed" : "cancelled");
}

class PrintTest : public PrintingClipboardTest, public ::testing::WithParamInterface<PrintCase> {};

TEST_P(PrintTest, PrintsInBlackOnWhiteAndGivesTheListItsColoursBack)
{
    const PrintCase& c = GetParam();
    if (c.greenOnBlack)
        click("OrvinTerminal");
    const QString pdf = outputDir.filePath("window.pdf");
    dialogs->choosePrint = [&](QPrinter& printer) { printToPdf(printer, pdf); };
    dialogs->print = c.print;

    click(c.print ? "Print1" : "Print2");

    EXPECT_EQ(dialogs->coloursWhileAsked, printColours);
    EXPECT_EQ(listColours(), c.greenOnBlack ? greenOnBlack : normalColours);
    EXPECT_EQ(pdfPages(pdf).size(), c.print ? 1 : 0);
    EXPECT_TRUE(prompts.messages.isEmpty()) << prompts.messages.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, PrintTest,
                         ::testing::Values(PrintCase{false, true}, PrintCase{false, false},
                                           PrintCase{true, true}, PrintCase{true, false}));

TEST_F(PrintingClipboardTest, PrinterSetupHoldsForLaterPrinting)
{
    const QString pdf = outputDir.filePath("chosen-in-setup.pdf");
    dialogs->chooseSetup = [&](QPrinter& printer) {
        printToPdf(printer, pdf);
        printer.setPageOrientation(QPageLayout::Landscape);
    };
    click("PrintSetup");
    click("Print1");
    click("Print1");
    const QStringList pages = pdfPages(pdf);
    ASSERT_EQ(pages.size(), 1); // the second print wrote the file afresh
    const QStringList box = pages.first().split(' ');
    ASSERT_EQ(box.size(), 4);
    EXPECT_GT(box[2].toDouble(), box[3].toDouble())
        << "landscape page: " << pages.first().toStdString();
}

TEST_F(PrintingClipboardTest, APrinterThatFailsIsReportedAndTheColoursComeBack)
{
    dialogs->choosePrint = [&](QPrinter& printer) {
        printToPdf(printer, outputDir.filePath("no-such-folder/window.pdf"));
    };
    click("Print1");
    EXPECT_EQ(prompts.messages, QStringList{"The page could not be printed."});
    EXPECT_EQ(listColours(), normalColours);
}

// On a page of 300 by 150 dots per inch, a window of 96 pixels per inch comes out at 300/96
// times its width and 150/96 times its height in dots, at the page's top left: a printer's
// two resolutions need not be the same.
TEST_F(PrintingClipboardTest, PageImageIsScaledByPageOverScreenResolution)
{
    const QColor untouched(255, 0, 255);
    QImage page(4000, 4000, QImage::Format_RGB32);
    page.setDotsPerMeterX(int(std::lround(300 / 0.0254)));
    page.setDotsPerMeterY(int(std::lround(150 / 0.0254)));
    page.fill(untouched);
    ASSERT_EQ(page.logicalDpiX(), 300);
    ASSERT_EQ(page.logicalDpiY(), 150);

    ASSERT_TRUE(window->printing().printPage(page));
    const QWidget* menu = window->menuWidget();
    const int width = int(window->width() * 300.0 / window->logicalDpiX());
    const int height = int((window->height() - menu->height()) * 150.0 / window->logicalDpiY());
    ASSERT_LT(width + 5, page.width());
    ASSERT_LT(height + 5, page.height());
    EXPECT_NE(page.pixelColor(0, 0), untouched);
    EXPECT_NE(page.pixelColor(width - 5, height - 5), untouched);
    EXPECT_EQ(page.pixelColor(width + 5, height / 2), untouched);
    EXPECT_EQ(page.pixelColor(width / 2, height + 5), untouched);
}

} // namespace

namespace {

// The platform's own dialogs, closed by a person who changes their mind.
class PlatformPrintDialogsTest : public WindowFixture {
protected:
    // Cancels the modal dialog of this name once it is open; notes the list's colours then.
    void cancelWhenOpen(const QString& name)
    {
        QTimer::singleShot(50, window.get(), [this, name] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || modal->objectName() != name) {
                cancelWhenOpen(name);
                return;
            }
            coloursWhileOpen = ScriptedPrinterDialogs::coloursOf(*control<QWidget>("ListBox1"));
            qobject_cast<QDialog*>(modal)->reject();
        });
    }
    QString coloursWhileOpen;
};

TEST_F(PlatformPrintDialogsTest, CancellingThemPrintsNothingAndRestoresTheColours)
{
    plug(1);
    showWindow();
    cancelWhenOpen("PrintDialog1");
    click("Print1");
    EXPECT_EQ(coloursWhileOpen, printColours);
    EXPECT_EQ(ScriptedPrinterDialogs::coloursOf(*control<QWidget>("ListBox1")), normalColours);

    cancelWhenOpen("PrinterSetupDialog1");
    click("PrintSetup");
    EXPECT_TRUE(prompts.messages.isEmpty());
}

} // namespace
