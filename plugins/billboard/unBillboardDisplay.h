#pragma once

// "Display", the message wall: a window filled by a browser that shows the HTML template.
// The wall's text is read and written through the page's script interface (wallscript.h).
// Three presentations: Preview (a normal window), Show (frameless, always on top, covering a
// whole monitor) and Hide; whenever the window gets hidden it is a normal 500 x 400 window
// at (50, 50) again.

#include <functional>

#include <QString>
#include <QWidget>

class QScreen;
class QWebEngineView;

namespace nimbra {

class TfrmDisplay : public QWidget {
    Q_OBJECT
public:
    explicit TfrmDisplay(QWidget* parent = nullptr);
    ~TfrmDisplay() override;

    // The template the wall shows; asked whenever the window is shown.
    void SetTemplateSource(std::function<QString()> source) { templateSource_ = std::move(source); }
    // Loads the template file into the browser; false (nothing loaded) when it does not exist.
    bool LoadTemplate();

    // The text of the page's "message" input, or "__nb__exception" when the page cannot be
    // read; given to done later, on the event loop, exactly once.
    void ReadCurrentText(std::function<void(const QString&)> done);
    // Puts a message on the page; a page without the form ignores it.
    void PutMessage(const QString& sender, const QString& text);

    // &Show on the monitor screen, &Hide, &Preview centred on the available area of screen.
    void ShowOn(QScreen* screen);
    void HideWall();
    void Preview(QScreen* screen);

    QWebEngineView* browser() const { return WebBrowser1_; }

signals:
    // A page has finished loading (ok: without error).
    void pageLoaded(bool ok);
    // The page wrote to the browser console; level 0 information, 1 warning, 2 error.
    void consoleMessage(int level, const QString& message, int line, const QString& source);
    // A message was handed to the page.
    void messagePut(const QString& sender, const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void RestoreWindowed();
    void OnLoadFinished(bool ok);

    QWebEngineView* WebBrowser1_;
    std::function<QString()> templateSource_;
    // Set while a presentation hides and shows the window on purpose.
    bool presenting_ = false;
};

}  // namespace nimbra
