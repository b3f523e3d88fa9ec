#pragma once

#include <memory>

class PrinterDialogs;
class QMainWindow;
class QPaintDevice;
class QPixmap;
class QPrinter;
class TerminalView;
class UserPrompts;

// Printing the main window as the screen shows it, and choosing the printer. The printer
// and its settings last for the whole run: what Print Setup chooses holds for every later
// Print.
class WindowPrinting {
public:
    WindowPrinting(QMainWindow& window, TerminalView& list, UserPrompts& prompts);
    ~WindowPrinting();

    // Tests answer the dialogs from a script; nullptr gives the platform's dialogs back.
    void setDialogs(PrinterDialogs* dialogs);

    // The list turns black on white, the print dialog asks, one page shows the window's
    // client area, and the list takes the Green on Black option's colours again.
    void Print1Click();
    void PrintSetupClick();

    // Paints the client area at the top left of `page`, scaled by the page's resolution
    // over the window's so that it comes out at about its size on screen. False when
    // painting on `page` cannot begin.
    bool printPage(QPaintDevice& page) const;

private:
    QPrinter& printer();
    PrinterDialogs& dialogs();
    QPixmap clientArea() const;

    QMainWindow& m_window;
    TerminalView& m_list;
    UserPrompts& m_prompts;
    std::unique_ptr<PrinterDialogs> m_platformDialogs;
    PrinterDialogs* m_dialogs = nullptr;
    std::unique_ptr<QPrinter> m_printer; // made when first needed: finding printers takes time
};
