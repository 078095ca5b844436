// The application object: start-up in its fixed order (skin, simulated processor if asked, frame,
// document, view, device search) and shut-down.
#pragma once

#include <QApplication>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace Sim {
class CSimulated;
}
class CMainFrame;
class CWAVRView;

// The document holds nothing: the view holds the configuration.
class CWAVRDoc {};

class CWAVRApp : public QApplication {
public:
    CWAVRApp(int& argc, char** argv);
    ~CWAVRApp() override;

    struct SCommandLine {
        bool bHelp = false;
        bool bSimulate = false;
        std::vector<std::string> ports;
        std::string szScreenshot;
        int nPage = -1;
        std::string szLanguage; // --lang, empty when not given
        std::string szLoad;
        bool bSystemView = false;
        std::string szBadArgument; // the argument not understood, when there is one
    };
    // The arguments with the program's name first (QCoreApplication::arguments()).
    static SCommandLine ParseCommandLine(const QStringList& args);
    static void Usage(std::FILE* pOut);
    // Reads the command line and builds the window; false ends the program with ExitCode().
    bool InitInstance();
    int ExitCode() const { return m_nExitCode; }
    CMainFrame* Frame() const { return m_pFrame.get(); }
    CWAVRView* View() const { return m_pView; }
    // The frame holds the view and calls it; what the view has for the frame comes back through a
    // handler connected here, so neither calls into the other both ways.
    static void ConnectFrameMessages(CMainFrame& frame, CWAVRView& view);

private:
    void TakeScreenshotWhenLoaded();
    void ShowPageAndTakePicture();

    std::unique_ptr<Sim::CSimulated> m_pSim;
    CWAVRDoc m_Doc;
    std::unique_ptr<CMainFrame> m_pFrame;
    CWAVRView* m_pView = nullptr;
    std::string m_szScreenshot;
    int m_nPage = -1;
    std::string m_szLoad;  // --load: a preset file applied once connected
    int m_bSystemView = 0; // --system-view: the graph's system view switched on
    int m_nExitCode = 0;
};
