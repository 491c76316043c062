#include "common/portbox.h"
#include <QComboBox>

QComboBox *NewPortBox(QWidget *parent, const char *objectName)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(objectName));
    box->setEditable(true);
    // A typed path is used as it stands, not added to the list.
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

void FillPortBox(QComboBox *box, const QStringList &ports, int index, const QString &typed)
{
    box->clear();
    box->addItems(ports);
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
    if (!typed.isEmpty() && box->currentText() != typed)
        box->setEditText(typed);
}
