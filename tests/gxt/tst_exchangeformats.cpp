#include <QTest>
class TestExchangeFormats : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(TestExchangeFormats)
#include "tst_exchangeformats.moc"
