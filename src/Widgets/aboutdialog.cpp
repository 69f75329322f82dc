#include "Widgets/aboutdialog.h"

#include "Widgets/aboutdialog_p.h"

#include <QFontMetrics>
#include <QLineEdit>

namespace {

// A read-only field whose preferred width follows its text: the line
// edit's own preferred width counts 17 times the width of "x" for the
// text; this one counts the text itself.
class TextWideLineEdit : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;

    QSize sizeHint() const override
    {
        QSize hint = QLineEdit::sizeHint();
        const QFontMetrics metrics(font());
        const qint64 width = qint64(hint.width()) - 17 * metrics.horizontalAdvance(QLatin1Char('x'))
            + metrics.horizontalAdvance(text());
        hint.setWidth(int(qBound<qint64>(0, width, QWIDGETSIZE_MAX)));
        return hint;
    }
};

} // namespace

AboutDialog::AboutDialog(const QList<QPair<QString, QString>> &rows, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::AboutDialog)
{
    ui->setupUi(this);
    for (const QPair<QString, QString> &row : rows) {
        auto *field = new TextWideLineEdit(row.second, this);
        field->setReadOnly(true);
        ui->formLayout->addRow(row.first, field);
    }
    ui->formLayout->activate();
    adjustSize();
    setFixedHeight(height());
}

AboutDialog::~AboutDialog()
{
    delete ui;
}
