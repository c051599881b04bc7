#include <QtTest>
class T : public QObject { Q_OBJECT };
QTEST_MAIN(T)
#include "tst_drawletapp_toolbar.moc"
