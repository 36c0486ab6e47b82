#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication App(argc, argv);
    return 0;
}
