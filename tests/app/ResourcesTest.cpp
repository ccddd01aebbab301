// The compiled-in look: every picture the style sheet and the tray use is there, has the
// size its name promises, and the buttons show the picture of their state.

#include "app/Resources.h"

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using namespace Orvanta;

class ResourcesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void picturesExistWithTheirSizes_data();
    void picturesExistWithTheirSizes();
    void buttonsShowTheirPictures_data();
    void buttonsShowTheirPictures();
};

void ResourcesTest::initTestCase()
{
    resources::load();
    QVERIFY(!resources::readStyleSheet().isEmpty());
    qApp->setStyleSheet(resources::readStyleSheet());
}

void ResourcesTest::picturesExistWithTheirSizes_data()
{
    QTest::addColumn<QString>("path");
    QStringList paths{resources::trayActive, resources::trayInactive, resources::trayDisabled, resources::windowIcon};
    const QRegularExpression url(QStringLiteral(R"(url\((:[^)]+)\))"));
    for (const QRegularExpressionMatch& m : url.globalMatch(resources::readStyleSheet()))
        paths.append(m.captured(1));
    paths.removeDuplicates();
    for (const QString& path : paths)
        QTest::newRow(qPrintable(path.section(QLatin1Char('/'), -1))) << path;
}

void ResourcesTest::picturesExistWithTheirSizes()
{
    QFETCH(QString, path);
    const QImage image(path);
    QVERIFY2(!image.isNull(), qPrintable(path));
    const QRegularExpressionMatch size = QRegularExpression(QStringLiteral(R"(_(\d+)x(\d+)\.png$)")).match(path);
    if (size.hasMatch())
        QCOMPARE(image.size(), QSize(size.captured(1).toInt(), size.captured(2).toInt()));
    // Drawn, not empty: some pixels are not transparent.
    bool drawn = false;
    for (int y = 0; y < image.height() && !drawn; ++y)
        for (int x = 0; x < image.width() && !drawn; ++x)
            drawn = qAlpha(image.pixel(x, y)) > 0;
    QVERIFY(drawn);
}

void ResourcesTest::buttonsShowTheirPictures_data()
{
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("picture");

    QTest::newRow("GPS off") << "btnTrigger" << QSize(70, 70) << true << false << "btn_gps_off_70x70.png";
    QTest::newRow("GPS on") << "btnTrigger" << QSize(70, 70) << true << true << "btn_gps_on_70x70.png";
    QTest::newRow("GPS unavailable") << "btnTrigger" << QSize(70, 70) << false << false
                                     << "btn_gps_disabled_70x70.png";
    QTest::newRow("show my location") << "btnWhere" << QSize(40, 40) << true << false << "btn_where_40x40.png";
    QTest::newRow("search, disabled") << "btnYellowPages" << QSize(40, 40) << false << false
                                      << "btn_yp_disabled_40x40.png";
}

void ResourcesTest::buttonsShowTheirPictures()
{
    QFETCH(QString, objectName);
    QFETCH(QSize, size);
    QFETCH(bool, enabled);
    QFETCH(bool, checked);
    QFETCH(QString, picture);

    QWidget holder;
    auto* button = new QPushButton(&holder);
    button->setObjectName(objectName);
    button->setCheckable(true);
    button->setChecked(checked);
    button->setEnabled(enabled);
    button->setFixedSize(size);
    holder.resize(size);
    const QImage expected = QImage(QStringLiteral(":/images/resources/") + picture)
                                .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(button->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied), expected);
}

QTEST_MAIN(ResourcesTest)
#include "ResourcesTest.moc"
