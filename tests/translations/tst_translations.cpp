#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

// Every operator text in the sources must have a finished translation in each
// of the three catalogues; a text added without one shows up untranslated.
namespace {

struct Entry
{
    QString context;
    QString source;
    bool finished = false;
    bool numerus = false;
};

QVector<Entry> readTs(const QString &path, QString *error)
{
    QVector<Entry> entries;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot open %1").arg(path);
        return entries;
    }
    QXmlStreamReader xml(&file);
    QString context;
    Entry current;
    bool inMessage = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const auto name = xml.name();
            if (name == QLatin1String("context")) {
                context.clear();
            } else if (name == QLatin1String("name") && !inMessage) {
                context = xml.readElementText();
            } else if (name == QLatin1String("message")) {
                inMessage = true;
                current = Entry();
                current.context = context;
                current.numerus = xml.attributes().value(QLatin1String("numerus")) == QLatin1String("yes");
            } else if (name == QLatin1String("source") && inMessage) {
                current.source = xml.readElementText();
            } else if (name == QLatin1String("translation") && inMessage) {
                const auto type = xml.attributes().value(QLatin1String("type")).toString();
                const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                current.finished = type.isEmpty() && !text.trimmed().isEmpty();
            }
        } else if (xml.isEndElement() && xml.name() == QLatin1String("message")) {
            inMessage = false;
            entries.append(current);
        }
    }
    if (xml.hasError())
        *error = QStringLiteral("%1: %2").arg(path, xml.errorString());
    return entries;
}

QString key(const Entry &e)
{
    return e.context + QLatin1Char('\x1f') + e.source;
}

} // namespace

class TranslationsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void everySourceTextIsTranslated_data();
    void everySourceTextIsTranslated();

private:
    QVector<Entry> m_sources;
    QTemporaryDir m_tmp;
};

void TranslationsTest::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    const QString root = QString::fromLocal8Bit(qgetenv("TRIVANE_SOURCE_DIR"));
    QVERIFY2(!root.isEmpty(), "TRIVANE_SOURCE_DIR not set");
    const QString scanned = m_tmp.filePath(QStringLiteral("scan.ts"));
    // The sources include their headers from the repository root.
    QStringList args{QStringLiteral("-I"), root};
    for (const char *dir : { "app", "link", "mainwindow", "login", "netmodule", "widgets" })
        args << QDir(root).filePath(QString::fromLatin1(dir));
    args << QStringLiteral("-no-obsolete") << QStringLiteral("-locations") << QStringLiteral("none")
         << QStringLiteral("-source-language") << QStringLiteral("zh_CN") << QStringLiteral("-ts") << scanned;
    QProcess lupdate;
    lupdate.start(QStringLiteral(TV_LUPDATE), args);
    QVERIFY2(lupdate.waitForFinished(90000), "lupdate did not finish");
    QCOMPARE(lupdate.exitCode(), 0);
    // A tr() that lupdate cannot tie to its class ("Cannot invoke tr() like
    // this", a missing Q_OBJECT) is looked up at run time under another context.
    const QString output = QString::fromLocal8Bit(lupdate.readAllStandardOutput() + lupdate.readAllStandardError());
    const QRegularExpression warning(QStringLiteral("^\\S+:\\d+: .*$"), QRegularExpression::MultilineOption);
    QStringList warnings;
    for (auto it = warning.globalMatch(output); it.hasNext();)
        warnings << it.next().captured(0);
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
    QString error;
    m_sources = readTs(scanned, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

void TranslationsTest::everySourceTextIsTranslated_data()
{
    QTest::addColumn<QString>("catalogue");
    QTest::newRow("English") << QStringLiteral("Trivane.ts");
    QTest::newRow("English, Orvex-T") << QStringLiteral("Orvex_T.ts");
    QTest::newRow("Traditional Chinese") << QStringLiteral("zh_TW.ts");
}

void TranslationsTest::everySourceTextIsTranslated()
{
    QFETCH(QString, catalogue);
    QString error;
    const auto entries = readTs(QDir(QStringLiteral(TV_TS_DIR)).filePath(catalogue), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QHash<QString, bool> finished;
    for (const auto &e : entries)
        finished.insert(key(e), e.finished);

    QStringList missing;
    QStringList unfinished;
    for (const auto &s : m_sources) {
        const auto it = finished.constFind(key(s));
        if (it == finished.constEnd())
            missing << s.context + QStringLiteral(": ") + s.source;
        else if (!it.value())
            unfinished << s.context + QStringLiteral(": ") + s.source;
    }
    if (!missing.isEmpty() || !unfinished.isEmpty()) {
        const QString report = QStringLiteral("%1 missing, %2 unfinished in %3 (run the update_translations target):\n%4")
                                   .arg(missing.size())
                                   .arg(unfinished.size())
                                   .arg(catalogue, (missing + unfinished).mid(0, 40).join(QLatin1Char('\n')));
        QFAIL(qPrintable(report));
    }
}

QTEST_GUILESS_MAIN(TranslationsTest)
#include "tst_translations.moc"
