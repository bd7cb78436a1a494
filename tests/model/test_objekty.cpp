#include <QtTest>
class TestObjekty : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(TestObjekty)
#include "test_objekty.moc"
