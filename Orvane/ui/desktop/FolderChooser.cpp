#include "ui/desktop/FolderChooser.h"

#include "platform/PathText.h"

#include <QCoro/QCoroSignal>
#include <QFileDialog>
#include <QPointer>

namespace orvane {

QCoro::Task<std::optional<std::filesystem::path>> DialogFolderChooser::chooseFolder(QWidget* parent, QString message,
                                                                                    QString acceptLabel)
{
    QPointer<QFileDialog> dialog = new QFileDialog(parent, message);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setLabelText(QFileDialog::Accept, acceptLabel);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->open();

    // A dialog destroyed before it finishes (its window closed under it) counts as a cancel.
    const auto result = co_await qCoro(dialog.data(), &QDialog::finished, std::chrono::milliseconds(-1));
    if (!dialog)
        co_return std::nullopt;
    const QStringList chosen = dialog->selectedFiles();
    dialog->deleteLater();
    if (!result || *result != QDialog::Accepted || chosen.size() != 1 || chosen.front().isEmpty())
        co_return std::nullopt;
    co_return pathFromText(chosen.front());
}

} // namespace orvane
