// minimal-label: the smallest Qt program that shows a text, as the yardstick the idle benchmark
// holds the ticker against.
#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[]) {
    QApplication::setApplicationName(QStringLiteral("minimal-label"));
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("7203  2,805"));
    label.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    label.show();
    return app.exec();
}
