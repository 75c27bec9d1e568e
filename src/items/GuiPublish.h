#pragma once
#include <QString>

class QWidget;

// Delivers a published page: saved under a name the person chooses, or opened in the browser.
namespace GuiPublish
{
enum OpenTypes { SaveToFile = 1, OpenInBrowser = 2 };

// openType 1 asks for a file name and copies the page there (an existing file is replaced); any other value
// opens the page with the desktop's program for it. A missing or empty page is reported, never opened.
void DeliverPage(const QString& pagePath, int openType, QWidget* owner);
} // namespace GuiPublish
