#include "ui/desktop/FolderChooser.h"

#include "platform/PathText.h"
#include "technic/MacCapabilityDetector.h"
#include "technic/TechnicLocator.h"

#include <QCoro/QCoroSignal>
#include <QFileDialog>
#include <QPointer>

#include <system_error>

namespace orvane {

DialogFolderChooser::DialogFolderChooser(std::filesystem::path home) : m_home(std::move(home)) {}

std::filesystem::path DialogFolderChooser::defaultHome() { return MacCapabilityDetector::defaultHome(); }

std::filesystem::path DialogFolderChooser::startingFolder() const
{
    if (const auto dataRoot = TechnicLocator(m_home).locateDataRoot()) {
        const std::filesystem::path modpacks = *dataRoot / "modpacks";
        std::error_code error;
        if (std::filesystem::is_directory(modpacks, error))
            return modpacks;
    }
    return m_home;
}

QFileDialog* DialogFolderChooser::makeDialog(QWidget* parent, const QString& message, const QString& acceptLabel) const
{
    auto* dialog = new QFileDialog(parent, message);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setLabelText(QFileDialog::Accept, acceptLabel);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setFilter(dialog->filter() | QDir::Hidden);
    dialog->setDirectory(pathText(startingFolder()));
    return dialog;
}

QCoro::Task<std::optional<std::filesystem::path>> DialogFolderChooser::chooseFolder(QWidget* parent, QString message,
                                                                                    QString acceptLabel)
{
    QPointer<QFileDialog> dialog = makeDialog(parent, message, acceptLabel);
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
