#pragma once

// A titled group of radio buttons with one selected item, addressed by index: the control
// whose stored setting is the selected index.

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QVBoxLayout;

namespace nimbra {

class RadioGroup : public QGroupBox {
    Q_OBJECT

public:
    explicit RadioGroup(QWidget* parent = nullptr);
    RadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);

    void setItems(const QStringList& items);
    QStringList items() const;
    int count() const;

    // The selected item, -1 when none is selected.
    int itemIndex() const;
    // An index outside 0 ... count()-1 leaves no item selected.
    void setItemIndex(int index);

signals:
    void itemIndexChanged(int index);

private:
    QButtonGroup* buttons_;
    QVBoxLayout* layout_;
};

}  // namespace nimbra
