// The function slider: the exact pages each action opens, and when the actions work.

#include "app/FunktionSlider.h"
#include "tests/app/support/Fixtures.h"

#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTest>

using namespace Orvanta;
using namespace Orvanta::testing;

namespace {

struct Slider {
    explicit Slider(bool testSites = true)
    {
        if (testSites) {
            auto settings = f.settings.open();
            settings->setValue(QStringLiteral("MapLinks/Location"), QStringLiteral("where.example"));
            settings->setValue(QStringLiteral("MapLinks/Search"), QStringLiteral("search.example/maps"));
            settings->setValue(QStringLiteral("MapLinks/Directions"), QStringLiteral("route.example"));
            settings->setValue(QStringLiteral("MapLinks/Tips"), QStringLiteral("tips.example"));
        }
        slider.show();
    }
    void fix(double latitude, double longitude)
    {
        f.conductor.latitudeChanged(latitude);
        f.conductor.longitudeChanged(longitude);
    }
    QPushButton* button(const QString& name) const { return slider.findChild<QPushButton*>(name); }
    QLineEdit* searchField() { return qobject_cast<QLineEdit*>(slider.childAt(50, 72)); }
    QLineEdit* addressField() { return qobject_cast<QLineEdit*>(slider.childAt(50, 117)); }
    QStringList opened() const
    {
        QStringList urls;
        for (const QUrl& url : browser.opened)
            urls.append(url.toString(QUrl::FullyEncoded));
        return urls;
    }

    ConductorFixture f;
    UrlRecorder browser;
    FunktionSlider slider{f.conductor, nullptr};
};

// Runs an action as the user would: a click on its button or Return in its field.
void trigger(Slider& s, const QString& action)
{
    if (action == QLatin1String("return in search"))
        QTest::keyClick(s.searchField(), Qt::Key_Return);
    else if (action == QLatin1String("return in address"))
        QTest::keyClick(s.addressField(), Qt::Key_Return);
    else
        s.button(action)->click();
}

} // namespace

class FunktionSliderTest : public QObject {
    Q_OBJECT

private slots:
    void actionsOpenExactPages_data();
    void actionsOpenExactPages();
    void defaultSitesUseHttps_data();
    void defaultSitesUseHttps();
    void coordinatesIgnoreTheLocale();
    void positionActionsWaitForAFix_data();
    void positionActionsWaitForAFix();
    void deviceRemovalDisablesThePositionActions();
};

void FunktionSliderTest::actionsOpenExactPages_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("url");

    QTest::newRow("show my location") << "btnWhere" << ""
                                      << "https://where.example/#mvt=m&lat=-33.500000&lon=151.250000&zoom=16";
    QTest::newRow("search near me")
        << "btnYellowPages" << "pizza"
        << "https://search.example/maps/default.aspx?cp=-33.500000~151.250000&lvl=12&style=r&v=2&ss=yp.%22pizza%22&v=2";
    QTest::newRow("search with an empty text")
        << "btnYellowPages" << ""
        << "https://search.example/maps/default.aspx?cp=-33.500000~151.250000&lvl=12&style=r&v=2&ss=yp.%22%22&v=2";
    QTest::newRow("search text with spaces and a placeholder")
        << "btnYellowPages" << "fish %1 chips"
        << "https://search.example/maps/default.aspx?cp=-33.500000~151.250000&lvl=12&style=r&v=2"
           "&ss=yp.%22fish%20%251%20chips%22&v=2";
    QTest::newRow("Return in the search field")
        << "return in search" << "cafe"
        << "https://search.example/maps/default.aspx?cp=-33.500000~151.250000&lvl=12&style=r&v=2&ss=yp.%22cafe%22&v=2";
    QTest::newRow("directions from here")
        << "btnLens" << "George Street 1"
        << "https://route.example/maps/default.aspx?v=2&rtp=pos.-33.500000_151.250000~adr.George%20Street%201";
    QTest::newRow("Return in the address field")
        << "return in address" << "Pitt Street"
        << "https://route.example/maps/default.aspx?v=2&rtp=pos.-33.500000_151.250000~adr.Pitt%20Street";
    QTest::newRow("tips") << "btnTips" << "" << "https://tips.example/gpstool";
}

void FunktionSliderTest::actionsOpenExactPages()
{
    QFETCH(QString, action);
    QFETCH(QString, typed);
    QFETCH(QString, url);

    Slider s;
    s.fix(-33.5, 151.25);
    s.searchField()->setText(typed);
    s.addressField()->setText(typed);
    trigger(s, action);
    QCOMPARE(s.opened(), QStringList{url});
}

void FunktionSliderTest::defaultSitesUseHttps_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("show my location") << "btnWhere";
    QTest::newRow("search near me") << "btnYellowPages";
    QTest::newRow("directions from here") << "btnLens";
    QTest::newRow("tips") << "btnTips";
}

void FunktionSliderTest::defaultSitesUseHttps()
{
    QFETCH(QString, action);
    Slider s(false);
    s.fix(-33.5, 151.25);
    trigger(s, action);
    QCOMPARE(s.browser.opened.size(), 1);
    const QUrl opened = s.browser.opened.first();
    QCOMPARE(opened.scheme(), QStringLiteral("https"));
    QVERIFY2(!opened.host().isEmpty() && opened.isValid(), qPrintable(opened.toString()));
}

void FunktionSliderTest::coordinatesIgnoreTheLocale()
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Slider s;
    s.fix(1234.5, -0.25);
    s.button(QStringLiteral("btnWhere"))->click();
    QLocale::setDefault(previous);
    QCOMPARE(s.opened(), QStringList{"https://where.example/#mvt=m&lat=1234.500000&lon=-0.250000&zoom=16"});
}

void FunktionSliderTest::positionActionsWaitForAFix_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("fixed");
    QTest::addColumn<int>("pages");

    QTest::newRow("show my location before a fix") << "btnWhere" << false << 0;
    QTest::newRow("Return in the disabled search field") << "return in search" << false << 0;
    QTest::newRow("Return in the disabled address field") << "return in address" << false << 0;
    QTest::newRow("tips before a fix") << "btnTips" << false << 1;
    QTest::newRow("position 0/0 is no fix") << "btnWhere" << false << 0;
    QTest::newRow("show my location after a fix") << "btnWhere" << true << 1;
}

void FunktionSliderTest::positionActionsWaitForAFix()
{
    QFETCH(QString, action);
    QFETCH(bool, fixed);
    QFETCH(int, pages);

    Slider s;
    s.fix(fixed ? -33.5 : 0.0, fixed ? 151.25 : 0.0);
    trigger(s, action);
    QCOMPARE(s.browser.opened.size(), pages);
}

void FunktionSliderTest::deviceRemovalDisablesThePositionActions()
{
    Slider s;
    s.fix(-33.5, 151.25);
    QVERIFY(s.button(QStringLiteral("btnWhere"))->isEnabled());
    QVERIFY(s.searchField()->isEnabled());
    emit s.f.conductor.deviceReady(false);
    for (const char* name : {"btnWhere", "btnYellowPages", "btnLens"})
        QVERIFY2(!s.button(QLatin1String(name))->isEnabled(), name);
    QVERIFY(!s.searchField()->isEnabled());
    QVERIFY(!s.addressField()->isEnabled());
    QVERIFY(s.button(QStringLiteral("btnTips"))->isEnabled());
}

QTEST_MAIN(FunktionSliderTest)
#include "FunktionSliderTest.moc"
