#include "WindowPrinting.h"

#include "PrinterDialogs.h"
#include "TerminalCore.h"
#include "TerminalView.h"
#include "UserPrompts.h"

#include <QMainWindow>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>

namespace {

const ListColours printColours{Qt::white, Qt::black};

const QString printFailed = QStringLiteral("The page could not be printed.");

QString printerDescription(const QPrinter& printer)
{
    return printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
}

} // namespace

WindowPrinting::WindowPrinting(QMainWindow& window, TerminalView& list, UserPrompts& prompts)
    : m_window(window), m_list(list), m_prompts(prompts)
{
}

WindowPrinting::~WindowPrinting() = default;

void WindowPrinting::setDialogs(PrinterDialogs* dialogs) { m_dialogs = dialogs; }

PrinterDialogs& WindowPrinting::dialogs()
{
    if (m_dialogs)
        return *m_dialogs;
    if (!m_platformDialogs)
        m_platformDialogs = std::make_unique<PlatformPrinterDialogs>(&m_window);
    return *m_platformDialogs;
}

QPrinter& WindowPrinting::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

void WindowPrinting::Print1Click()
{
    m_list.showColours(printColours);
    m_list.viewport()->repaint();
    if (dialogs().PrintDialog1(printer()) && !printPage(printer()))
        m_prompts.showMessage(printFailed, printerDescription(printer()));
    m_list.applyColours();
}

void WindowPrinting::PrintSetupClick() { dialogs().PrinterSetupDialog1(printer()); }

// The window below its menu bar: tool bars, lists and status bar.
QPixmap WindowPrinting::clientArea() const
{
    QRect area = m_window.rect();
    if (const QWidget* menu = m_window.menuWidget(); menu && menu->isVisible())
        area.setTop(menu->geometry().bottom() + 1);
    return m_window.grab(area);
}

bool WindowPrinting::printPage(QPaintDevice& page) const
{
    const QPixmap image = clientArea();
    QPainter painter;
    if (!painter.begin(&page))
        return false;
    const double scaleX = double(page.logicalDpiX()) / m_window.logicalDpiX();
    const double scaleY = double(page.logicalDpiY()) / m_window.logicalDpiY();
    const QSizeF onScreen = image.deviceIndependentSize();
    painter.drawPixmap(QRectF(0, 0, onScreen.width() * scaleX, onScreen.height() * scaleY), image,
                       QRectF(image.rect()));
    return painter.end();
}
