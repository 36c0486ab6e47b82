#include "uApp.h"
#include "uMainDs.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication App(argc, argv);
    CreateTopLevelObjects();
    fMainDs->show();
    const int Rc = App.exec();
    DestroyTopLevelObjects();
    return Rc;
}
