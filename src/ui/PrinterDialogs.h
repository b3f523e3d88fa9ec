#pragma once

class QPrinter;
class QWidget;

// The print dialog and the printer setup dialog. The window shows the platform's; tests
// answer from a script.
class PrinterDialogs {
public:
    virtual ~PrinterDialogs() = default;
    // PrintDialog1: true when the person chose to print, with `printer` set up as chosen.
    virtual bool PrintDialog1(QPrinter& printer) = 0;
    // PrinterSetupDialog1: what the person chooses stays in `printer`.
    virtual void PrinterSetupDialog1(QPrinter& printer) = 0;
};

// The platform's modal dialogs over the main window; the receive timer keeps running in
// their event loops.
class PlatformPrinterDialogs : public PrinterDialogs {
public:
    explicit PlatformPrinterDialogs(QWidget* parent) : m_parent(parent) {}
    bool PrintDialog1(QPrinter& printer) override;
    void PrinterSetupDialog1(QPrinter& printer) override;

private:
    QWidget* m_parent;
};
