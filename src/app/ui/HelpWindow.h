#pragma once

#include <QDialog>
#include <QUrl>

class QPushButton;
class QTextBrowser;

// The help page in a window of the program, so that help needs no browser or desktop handler.
// The page is the help file of the application folder when there is one, else the page built
// into the program. Links inside the page move within it; links to the web are not followed.
class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // The page shown: the application folder's help file, or the built-in page.
    static QUrl pageUrl();

    QTextBrowser* pageView = nullptr;
    QPushButton* contentsButton = nullptr;
    QPushButton* backButton = nullptr;
    QPushButton* forwardButton = nullptr;
    QPushButton* closeButton = nullptr;
};
