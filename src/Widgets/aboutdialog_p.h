#pragma once

// The form of AboutDialog: one form layout ("formLayout") on the dialog.

#include <QCoreApplication>
#include <QDialog>
#include <QFormLayout>
#include <QSizePolicy>

namespace Ui {

class AboutDialog
{
public:
    QFormLayout *formLayout = nullptr;

    void setupUi(QDialog *dialog)
    {
        if (dialog->objectName().isEmpty())
            dialog->setObjectName(QStringLiteral("AboutDialog"));
        dialog->resize(1000, 108);
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        policy.setHeightForWidth(dialog->sizePolicy().hasHeightForWidth());
        dialog->setSizePolicy(policy);
        formLayout = new QFormLayout(dialog);
        formLayout->setObjectName(QStringLiteral("formLayout"));
        formLayout->setSizeConstraint(QLayout::SetDefaultConstraint);
        formLayout->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
        retranslateUi(dialog);
        QMetaObject::connectSlotsByName(dialog);
    }

    void retranslateUi(QDialog *dialog)
    {
        dialog->setWindowTitle(QCoreApplication::translate("AboutDialog", "About"));
    }
};

} // namespace Ui
