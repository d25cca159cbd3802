#include "frmsignal.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

namespace nimbra::handset {

TfrmSignal::TfrmSignal(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmSignal"));
    setWindowTitle(QStringLiteral("Signal strength"));
    eReg_ = new QLineEdit(this);
    eReg_->setObjectName(QStringLiteral("eReg"));
    eReg_->setReadOnly(true);
    pbCsq_ = new QProgressBar(this);
    pbCsq_->setObjectName(QStringLiteral("pbCsq"));
    pbCsq_->setRange(0, 31);
    pbCsq_->setValue(0);
    auto* regLabel = new QLabel(QStringLiteral("Registered to network: "), this);
    regLabel->setObjectName(QStringLiteral("lReg"));
    auto* csqLabel = new QLabel(QStringLiteral("Signal strength:"), this);
    csqLabel->setObjectName(QStringLiteral("lCsq"));
    auto* fields = new QFormLayout(this);
    fields->addRow(regLabel, eReg_);
    fields->addRow(csqLabel, pbCsq_);
    setMinimumWidth(320);
}

}  // namespace nimbra::handset
