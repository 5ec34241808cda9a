#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    QApplication::setApplicationVersion(QStringLiteral(ORVANE_VERSION));

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Orvane"));
    window.setMinimumSize(640, 600);
    window.resize(1020, 800);
    window.show();
    return QApplication::exec();
}
