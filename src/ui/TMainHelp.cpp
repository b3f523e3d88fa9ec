// The Help menu: the help topics and the About dialog.
#include "TMain.h"

#include "HelpViewer.h"
#include "TAbout_Form.h"

namespace {
constexpr int contentsContext = 1;
}

void TMain::ShowHelpClick() { showHelp(contentsContext); }

void TMain::showHelp(int context)
{
    if (m_core->startUp().helpFile().isEmpty())
        return;
    if (!m_helpViewer)
        m_helpViewer = new HelpViewer(this);
    m_helpViewer->showContext(m_core->startUp().helpFile(), context);
}

void TMain::AboutClick() { m_about->exec(); }
