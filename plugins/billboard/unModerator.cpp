#include "unModerator.h"

#include <QAbstractItemView>
#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTime>
#include <QVBoxLayout>

#include "controlstate.h"
#include "qansi.h"
#include "unBillboardDisplay.h"
#include "unGSMSMS.h"

namespace nimbra {
namespace {

QString FromUtf16(const std::u16string& s) {
    return QString::fromStdU16String(s);
}

QLineEdit* NewEdit(const char* name, const QString& text, QWidget* parent) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QPushButton* NewButton(const char* name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QListWidget* NewList(const char* name, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setUniformItemSizes(true);
    return list;
}

// "Inbox time: [8] sec." and the list's Delete button below a list.
QHBoxLayout* TimeRow(QPushButton* remove, const QString& caption, QLineEdit* seconds) {
    auto* row = new QHBoxLayout;
    row->addWidget(remove);
    row->addStretch();
    row->addWidget(new QLabel(caption));
    seconds->setMaximumWidth(48);
    seconds->setAlignment(Qt::AlignRight);
    row->addWidget(seconds);
    row->addWidget(new QLabel(QStringLiteral("sec.")));
    return row;
}

// Local seconds since 1970 as the platform's short date and time.
QString ClockText(long long now) {
    const long long days = now >= 0 ? now / 86400 : (now - 86399) / 86400;
    const QDate date = QDate(1970, 1, 1).addDays(days);
    const QTime time = QTime(0, 0).addSecs(static_cast<int>(now - days * 86400));
    const QLocale locale;
    return locale.toString(date, QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(time, QLocale::ShortFormat);
}

}  // namespace

TfrmModerate::TfrmModerate(TfrmDisplay& display, Options options, QWidget* parent)
    : QMainWindow(parent), display_(display), options_(std::move(options)) {
    setObjectName(QStringLiteral("frmModerate"));
    setWindowTitle(QStringLiteral("Moderate"));
    BuildWindow();
    LoadControl(kBillboardSection, eInboxTime_);
    LoadControl(kBillboardSection, eDisplayTime_);
    connect(eInboxTime_, &QLineEdit::textChanged, this,
            [this] { SaveControl(kBillboardSection, eInboxTime_); });
    connect(eDisplayTime_, &QLineEdit::textChanged, this,
            [this] { SaveControl(kBillboardSection, eDisplayTime_); });

    moderation_.onInserted = [this](TModeration::List list, std::size_t position) {
        View(list)->insertItem(static_cast<int>(position),
                               FromUtf16(moderation_.Entries(list)[position]));
    };
    moderation_.onRemoved = [this](TModeration::List list, std::size_t position) {
        delete View(list)->takeItem(static_cast<int>(position));
    };

    timerSec_.setObjectName(QStringLiteral("timerSec"));
    timerSec_.setSingleShot(true);
    connect(&timerSec_, &QTimer::timeout, this, &TfrmModerate::Step);
    ShowClock(options_.clock());
    if (options_.stepMs > 0)
        timerSec_.start(options_.stepMs);
}

TfrmModerate::~TfrmModerate() = default;

void TfrmModerate::BuildWindow() {
    auto* central = new QWidget(this);
    setCentralWidget(central);

    ePhone_ = NewEdit("ePhone", QStringLiteral("+36201234567"), central);
    eText_ = NewEdit("eText", QStringLiteral("This is the message text"), central);
    bAdd_ = NewButton("bAdd", QStringLiteral("&Add"), central);
    auto* manual = new QHBoxLayout;
    manual->addWidget(new QLabel(QStringLiteral("Manual entery:"), central));
    ePhone_->setMaximumWidth(160);
    manual->addWidget(ePhone_);
    manual->addWidget(eText_, 1);
    manual->addWidget(bAdd_);
    connect(bAdd_, &QPushButton::clicked, this, &TfrmModerate::AddManualEntry);
    connect(eText_, &QLineEdit::returnPressed, bAdd_, &QPushButton::click);

    qInbox_ = NewList("qInbox", central);
    qDisplay_ = NewList("qDisplay", central);
    eInboxTime_ = NewEdit("eInboxTime", QStringLiteral("8"), central);
    eDisplayTime_ = NewEdit("eDisplayTime", QStringLiteral("6"), central);
    auto* deleteInbox = NewButton("bDeleteInbox", QStringLiteral("Delete"), central);
    auto* deleteDisplay = NewButton("bDeleteDisplay", QStringLiteral("Delete"), central);
    connect(deleteInbox, &QPushButton::clicked, this,
            [this] { DeleteSelected(TModeration::List::Inbox); });
    connect(deleteDisplay, &QPushButton::clicked, this,
            [this] { DeleteSelected(TModeration::List::Display); });

    auto* lists = new QGridLayout;
    lists->addWidget(new QLabel(QStringLiteral("Inbox:"), central), 0, 0);
    lists->addWidget(new QLabel(QStringLiteral("Display:"), central), 0, 1);
    lists->addWidget(qInbox_, 1, 0);
    lists->addWidget(qDisplay_, 1, 1);
    lists->addLayout(TimeRow(deleteInbox, QStringLiteral("Inbox time:"), eInboxTime_), 2, 0);
    lists->addLayout(TimeRow(deleteDisplay, QStringLiteral("Display interval:"), eDisplayTime_), 2,
                     1);

    auto* presentations = new QHBoxLayout;
    auto* bPreview = NewButton("bPreview", QStringLiteral("&Preview"), central);
    auto* bShow = NewButton("bShow", QStringLiteral("&Show"), central);
    auto* bHide = NewButton("bHide", QStringLiteral("&Hide"), central);
    connect(bPreview, &QPushButton::clicked, this, [this] { display_.Preview(screen()); });
    connect(bShow, &QPushButton::clicked, this, [this] { display_.ShowOn(screen()); });
    connect(bHide, &QPushButton::clicked, this, [this] { display_.HideWall(); });
    presentations->addStretch();
    presentations->addWidget(bPreview);
    presentations->addWidget(bShow);
    presentations->addWidget(bHide);

    auto* column = new QVBoxLayout(central);
    column->addLayout(manual);
    column->addLayout(lists, 1);
    column->addLayout(presentations);

    clockPanel_ = new QLabel(this);
    clockPanel_->setObjectName(QStringLiteral("panel0"));
    statusBar()->addWidget(clockPanel_);
    resize(1000, 460);
}

QListWidget* TfrmModerate::View(TModeration::List list) const {
    return list == TModeration::List::Inbox ? qInbox_ : qDisplay_;
}

void TfrmModerate::AddMessage(const TGsmSms& record) {
    AddItem(ItemFromRecord(record, options_.clock()));
}

void TfrmModerate::AddItem(const TBillboardItem& item) {
    moderation_.Add(item);
}

void TfrmModerate::AddManualEntry() {
    AddItem(ItemFromMessage(QToAnsi(ePhone_->text()), eText_->text().toStdU16String(),
                            options_.clock()));
}

void TfrmModerate::DeleteSelected(TModeration::List list) {
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : View(list)->selectionModel()->selectedIndexes())
        rows.push_back(static_cast<std::size_t>(index.row()));
    moderation_.Remove(list, std::move(rows));
}

void TfrmModerate::ShowClock(long long now) {
    clockPanel_->setText(ClockText(now));
}

void TfrmModerate::Step() {
    timerSec_.stop();
    const long long now = options_.clock();
    ShowClock(now);
    if (!moderation_.MoveDueEntries(now, eInboxTime_->text().toStdU16String())) {
        ScheduleStep();
        return;
    }
    QPointer<TfrmModerate> self(this);
    display_.ReadCurrentText([self, now](const QString& wallText) {
        if (self)
            self->EndStep(now, wallText);
    });
}

void TfrmModerate::EndStep(long long now, const QString& wallText) {
    const std::optional<TBillboardItem> item = moderation_.TakeForWall(
        now, eDisplayTime_->text().toStdU16String(), wallText.toStdU16String());
    if (item)
        display_.PutMessage(QFromAnsi(item->sender), FromUtf16(item->text));
    ScheduleStep();
}

void TfrmModerate::ScheduleStep() {
    if (options_.stepMs > 0)
        timerSec_.start(options_.stepMs);
    emit stepEnded();
}

}  // namespace nimbra
