#include "unBillboardDisplay.h"

#include <memory>

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "unModeration.h"
#include "wallscript.h"

namespace nimbra {
namespace {

constexpr QRect kWindowedBounds(50, 50, 500, 400);
// A page that does not answer a read in this time counts as unreadable.
constexpr int kReadTimeoutMs = 5000;
constexpr Qt::WindowFlags kWallFlags = Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;

QString FromUtf16(std::u16string_view s) {
    return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}

// Hands the page's console lines to the window.
class WallPage : public QWebEnginePage {
public:
    WallPage(TfrmDisplay* display, QObject* parent) : QWebEnginePage(parent), display_(display) {}

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int line, const QString& source) override {
        emit display_->consoleMessage(static_cast<int>(level), message, line, source);
    }

private:
    TfrmDisplay* display_;
};

}  // namespace

TfrmDisplay::TfrmDisplay(QWidget* parent)
    : QWidget(parent, Qt::Window), WebBrowser1_(new QWebEngineView(this)) {
    setObjectName(QStringLiteral("frmDisplay"));
    setWindowTitle(QStringLiteral("Display"));
    WebBrowser1_->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1_->setPage(new WallPage(this, WebBrowser1_));
    WebBrowser1_->setContextMenuPolicy(Qt::NoContextMenu);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(WebBrowser1_);
    resize(496, 323);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    connect(WebBrowser1_, &QWebEngineView::loadFinished, this, &TfrmDisplay::OnLoadFinished);
}

TfrmDisplay::~TfrmDisplay() = default;

bool TfrmDisplay::LoadTemplate() {
    const QString path = templateSource_ ? templateSource_() : QString();
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    WebBrowser1_->load(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    return true;
}

void TfrmDisplay::OnLoadFinished(bool ok) {
    WebBrowser1_->page()->runJavaScript(FromUtf16(kHideScrollBarsScript));
    emit pageLoaded(ok);
}

void TfrmDisplay::ReadCurrentText(std::function<void(const QString&)> done) {
    // The page answers once, or not at all when it goes away meanwhile: whichever of the
    // answer and the time-out comes first gives the result.
    auto answer = std::make_shared<std::function<void(const QString&)>>(std::move(done));
    auto give = [answer](const QString& text) {
        if (*answer) {
            auto callback = std::move(*answer);
            *answer = nullptr;
            callback(text);
        }
    };
    const QString unreadable = FromUtf16(kWallUnreadable);
    QTimer::singleShot(kReadTimeoutMs, this, [give, unreadable] { give(unreadable); });
    WebBrowser1_->page()->runJavaScript(
        FromUtf16(kReadWallScript), [give, unreadable](const QVariant& value) {
            give(value.typeId() == QMetaType::QString ? value.toString() : unreadable);
        });
}

void TfrmDisplay::PutMessage(const QString& sender, const QString& text) {
    WebBrowser1_->page()->runJavaScript(QString::fromStdU16String(
        PutMessageScript(sender.toStdU16String(), text.toStdU16String())));
    emit messagePut(sender, text);
}

void TfrmDisplay::ShowOn(QScreen* screen) {
    presenting_ = true;
    hide();
    setWindowFlags(Qt::Window | kWallFlags);
    if (screen) {
        setScreen(screen);
        setGeometry(screen->geometry());
    }
    show();
    presenting_ = false;
}

void TfrmDisplay::HideWall() {
    presenting_ = true;
    hide();
    presenting_ = false;
    RestoreWindowed();
}

void TfrmDisplay::Preview(QScreen* screen) {
    if (windowFlags() & kWallFlags)
        HideWall();
    presenting_ = true;
    if (screen) {
        QRect bounds = geometry();
        bounds.moveCenter(screen->availableGeometry().center());
        setGeometry(bounds);
    }
    show();
    raise();
    presenting_ = false;
}

void TfrmDisplay::RestoreWindowed() {
    presenting_ = true;
    if (windowFlags() & kWallFlags)
        setWindowFlags(windowFlags() & ~kWallFlags);
    // The window system would otherwise hand the old window's bounds back to the new style.
    if (!isVisible())
        destroy();
    setGeometry(kWindowedBounds);
    presenting_ = false;
}

void TfrmDisplay::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        LoadTemplate();
}

void TfrmDisplay::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Hidden by the operator or the window manager: back to a normal window, once the
    // hiding is over.
    if (!presenting_ && !event->spontaneous()) {
        QTimer::singleShot(0, this, [this] {
            if (!isVisible())
                RestoreWindowed();
        });
    }
}

}  // namespace nimbra
