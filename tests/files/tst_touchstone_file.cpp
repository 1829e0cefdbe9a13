#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <charconv>
#include <cmath>
#include <complex>
#include <limits>
#include <vector>

#include "files/csv_file.h"
#include "files/touchstone_file.h"
#include "files/vec_file.h"
#include "measure/conversion.h"
#include "support/test_support.h"

using TestSupport::PythonWithSkrf;

namespace {

struct Sweep {
    std::vector<float> magnitude;
    std::vector<float> phase;
    TouchstoneInput input;

    // Points 1.. hold the given counts.
    Sweep(const std::vector<std::pair<float, float>>& counts, float fmin, float fmax)
        : magnitude(counts.size() + 1, 0.0f), phase(counts.size() + 1, 0.0f) {
        for (std::size_t i = 0; i < counts.size(); ++i) {
            magnitude[i + 1] = counts[i].first;
            phase[i + 1] = counts[i].second;
        }
        input.MagnitudeSamples = magnitude;
        input.PhaseSamples = phase;
        input.Champ = static_cast<std::int32_t>(counts.size());
        input.FMin = fmin;
        input.FMax = fmax;
        input.date = QDateTime(QDate(2024, 5, 1), QTime(12, 30, 0), Qt::UTC);
    }
};

QList<QByteArray> DataLines(const QByteArray& text) {
    QList<QByteArray> data;
    for (const QByteArray& line : text.split('\n')) {
        if (!line.isEmpty() && !line.startsWith('!') && !line.startsWith('#')) {
            data.append(line);
        }
    }
    return data;
}

double Number(const QByteArray& field) {
    double v = std::numeric_limits<double>::quiet_NaN();
    std::from_chars(field.constData(), field.constData() + field.size(), v);
    return v;
}

}  // namespace

class TestTouchstoneFile : public QObject {
    Q_OBJECT

private slots:
    void header_data();
    void header();
    void knownPoints_data();
    void knownPoints();
    void transmissionLayout();
    void refusals();
    void readBySkrf_data();
    void readBySkrf();
};

void TestTouchstoneFile::header_data() {
    QTest::addColumn<float>("TransmissionMode");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<QByteArray>("measured");

    QTest::newRow("reflection") << 0.0f << ".s1p" << QByteArray("! Mode: Reflection")
                                << QByteArray("! Measured: S11 only");
    QTest::newRow("transmission") << 1.0f << ".s2p" << QByteArray("! Mode: Transmission")
                                  << QByteArray(
                                         "! Measured: S21 only; S11, S12 and S22 are written as 0");
}

void TestTouchstoneFile::header() {
    QFETCH(float, TransmissionMode);
    QFETCH(QString, extension);
    QFETCH(QByteArray, mode);
    QFETCH(QByteArray, measured);

    Sweep sweep({{600, 300}, {400, 100}, {1023, 512}}, 1000000.0f, 4000000.0f);
    sweep.input.TransmissionMode = TransmissionMode;
    const TouchstoneResult result = TouchstoneText(sweep.input);
    QVERIFY2(result.text.has_value(), qPrintable(result.error));
    QCOMPARE(result.extension, extension);
    QCOMPARE(TouchstoneExtension(TransmissionMode), extension);

    const QList<QByteArray> lines = result.text->split('\n');
    const QList<QByteArray> expected = {
        "! Program: Zezizav",
        "! Version: 2.2.9",
        "! Date: 2024-05-01T12:30:00Z",
        "! Points: 3",
        mode,
        measured,
        "! The detector gives the phase without sign (0..180 degrees), so the sign of the "
        "imaginary part is not known",
        "# Hz S RI R 50"};
    QCOMPARE(lines.mid(0, expected.size()), expected);
    QCOMPARE(DataLines(*result.text).size(), 3);
    QVERIFY(!result.text->contains('\r'));
}

void TestTouchstoneFile::knownPoints_data() {
    QTest::addColumn<float>("n");
    QTest::addColumn<float>("p");
    QTest::addColumn<float>("CalOffsetDb");
    QTest::addColumn<double>("LossOffset");
    QTest::addColumn<double>("Rs");  // ohm, as the readouts show them
    QTest::addColumn<double>("Xs");

    QTest::newRow("600/300") << 600.f << 300.f << 0.f << 0.0 << 59.25 << 17.20;
    QTest::newRow("400/100") << 400.f << 100.f << 0.f << 0.0 << 162.21 << 125.19;
    QTest::newRow("1023/512") << 1023.f << 512.f << 0.f << 0.0 << 49.99 << 1.01;
    QTest::newRow("zero counts") << 0.f << 0.f << 0.f << 0.0 << 60.89 << 0.0;
    QTest::newRow("offsets") << 440.f << 200.f << 1.5f << 2.0 << -1.0 << -1.0;  // no readout
}

void TestTouchstoneFile::knownPoints() {
    QFETCH(float, n);
    QFETCH(float, p);
    QFETCH(float, CalOffsetDb);
    QFETCH(double, LossOffset);
    QFETCH(double, Rs);
    QFETCH(double, Xs);

    Sweep sweep({{n, p}}, 1000000.0f, 2000000.0f);
    sweep.input.CalOffsetDb = CalOffsetDb;
    sweep.input.LossOffset = LossOffset;
    const TouchstoneResult result = TouchstoneText(sweep.input);
    QVERIFY2(result.text.has_value(), qPrintable(result.error));
    const QList<QByteArray> fields = DataLines(*result.text).at(0).split(' ');
    QCOMPARE(fields.size(), 3);
    QCOMPARE(fields.at(0), QByteArray("2000000"));
    const std::complex<double> gamma(Number(fields.at(1)), Number(fields.at(2)));

    // Worked out here in doubles from the definitions: 10^(-L/20) at the phase.
    const double L = n * 0.0587 - 20.16 + CalOffsetDb + LossOffset;
    const std::complex<double> expected = std::polar(std::pow(10.0, -L / 20.0), p * 0.176 / 57.324);
    QVERIFY2(std::abs(gamma - expected) <= 1e-6 * std::abs(expected),
             qPrintable(QStringLiteral("%1%2j").arg(gamma.real()).arg(gamma.imag())));

    // What a peer tool derives matches the program's own readouts.
    const std::complex<double> z = 50.0 * (1.0 + gamma) / (1.0 - gamma);
    const PointValues v = ConvertPoint(n, p, CalOffsetDb, LossOffset);
    QVERIFY(std::fabs(std::fabs(z.real()) - v.Rs) <= 2e-6 * v.Rs + 1e-6);
    QVERIFY(std::fabs(std::fabs(z.imag()) - v.Xs) <= 2e-6 * v.Zmag + 1e-6);
    if (Rs >= 0) {
        QVERIFY(std::fabs(std::fabs(z.real()) - Rs) <= 0.006);
        QVERIFY(std::fabs(std::fabs(z.imag()) - Xs) <= 0.006);
    }
    // Full precision: the text reads back as the exact product of the floats.
    QVERIFY(gamma.real() == static_cast<double>(v.Rho) * static_cast<double>(v.CosPhi));
    QVERIFY(gamma.imag() == static_cast<double>(v.Rho) * static_cast<double>(v.SinPhi));
}

void TestTouchstoneFile::transmissionLayout() {
    Sweep sweep({{600, 300}, {100, 0}, {1023, 1023}}, 0.0f, 15.0f);  // 5, 10, 15 Hz
    const QList<QByteArray> s1p = DataLines(*TouchstoneText(sweep.input).text);
    sweep.input.TransmissionMode = 1.0f;
    const QList<QByteArray> s2p = DataLines(*TouchstoneText(sweep.input).text);
    CsvInput csv;
    csv.MagnitudeSamples = sweep.magnitude;
    csv.PhaseSamples = sweep.phase;
    csv.Champ = 3;
    csv.FMin = 0.0f;
    csv.FMax = 15.0f;
    const QList<QByteArray> csvLines = CsvText(csv).text->split('\n');

    QCOMPARE(s2p.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QList<QByteArray> two = s2p.at(i).split(' ');
        const QList<QByteArray> one = s1p.at(i).split(' ');
        QCOMPARE(two.size(), 9);
        QCOMPARE(two.at(0), csvLines.at(i + 1).split(',').at(0));  // same frequency as .csv
        QCOMPARE(two.at(0), one.at(0));
        for (const int zero : {1, 2, 5, 6, 7, 8}) {  // S11, S12, S22
            QCOMPARE(two.at(zero), QByteArray("0"));
        }
        QCOMPARE(two.at(3), one.at(1));  // S21 from the same conversion
        QCOMPARE(two.at(4), one.at(2));
    }
    // Magnitude 10^(-L/20): L = 100 x 0.0587 - 20.16 = -14.29 dB gives a gain.
    QVERIFY(std::fabs(Number(s2p.at(1).split(' ').at(3)) - std::pow(10.0, 14.29 / 20.0)) < 1e-5);
    QCOMPARE(s2p.at(1).split(' ').at(4), QByteArray("0"));
}

void TestTouchstoneFile::refusals() {
    Sweep sweep({{600, 300}, {400, std::numeric_limits<float>::infinity()}}, 1e6f, 2e6f);
    sweep.input.TransmissionMode = 1.0f;
    const TouchstoneResult result = TouchstoneText(sweep.input);
    QVERIFY(!result.text.has_value() && !result.error.isEmpty());
    QCOMPARE(result.extension, QStringLiteral(".s2p"));
    sweep.input.Champ = 0;
    QVERIFY(!TouchstoneText(sweep.input).text.has_value());
    sweep.input.Champ = 3;  // more than the arrays hold
    QVERIFY(!TouchstoneText(sweep.input).text.has_value());
}

void TestTouchstoneFile::readBySkrf_data() {
    QTest::addColumn<float>("TransmissionMode");
    QTest::newRow("reflection .s1p") << 0.0f;
    QTest::newRow("transmission .s2p") << 1.0f;
}

void TestTouchstoneFile::readBySkrf() {
    QFETCH(float, TransmissionMode);
    QString why;
    const QString python = PythonWithSkrf(&why);
    if (python.isEmpty()) {
        QSKIP(qPrintable(why));
    }

    // A resonance: the match is best in the middle of 7.0..7.3 MHz.
    std::vector<std::pair<float, float>> counts;
    for (int i = 1; i <= 30; ++i) {
        counts.emplace_back(900.0f - 20.0f * static_cast<float>(std::abs(i - 15)),
                            static_cast<float>(30 * i));
    }
    Sweep sweep(counts, 7000000.0f, 7300000.0f);
    sweep.input.TransmissionMode = TransmissionMode;
    sweep.input.CalOffsetDb = 0.5f;
    sweep.input.LossOffset = -1.25;
    const TouchstoneResult result = TouchstoneText(sweep.input);
    QVERIFY2(result.text.has_value(), qPrintable(result.error));

    QJsonArray frequencies, values, rs, xs;
    for (std::int32_t i = 1; i <= sweep.input.Champ; ++i) {
        frequencies.append(7000000.0 + 10000.0 * i);
        const auto at = static_cast<std::size_t>(i);
        const PointValues v =
            ConvertPoint(sweep.magnitude[at], sweep.phase[at], 0.5f, sweep.input.LossOffset);
        values.append(QJsonArray{static_cast<double>(v.Rho) * v.CosPhi,
                                 static_cast<double>(v.Rho) * v.SinPhi});
        rs.append(static_cast<double>(v.Rs));
        xs.append(static_cast<double>(v.Xs));
    }
    QJsonObject expected{{QStringLiteral("frequencies"), frequencies}};
    if (TransmissionMode != 0.0f) {
        expected.insert(QStringLiteral("s21"), values);
    } else {
        expected.insert(QStringLiteral("s11"), values);
        expected.insert(QStringLiteral("rs"), rs);
        expected.insert(QStringLiteral("xs"), xs);
    }

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("sweep") + result.extension);
    const QString json = dir.filePath(QStringLiteral("expected.json"));
    QString error;
    QVERIFY2(WriteFileSafely(file, *result.text, &error), qPrintable(error));
    QVERIFY2(WriteFileSafely(json, QJsonDocument(expected).toJson(), &error), qPrintable(error));

    QProcess check;
    check.setProcessChannelMode(QProcess::MergedChannels);
    check.start(python, {QStringLiteral(ZEZIZAV_SOURCE_DIR "/tests/files/touchstone_skrf_check.py"),
                         file, json});
    QVERIFY(check.waitForFinished(120000));
    const QByteArray output = check.readAll();
    QVERIFY2(check.exitStatus() == QProcess::NormalExit && check.exitCode() == 0,
             output.constData());
    QVERIFY2(output.contains(": 0 failed checks"), output.constData());
}

QTEST_GUILESS_MAIN(TestTouchstoneFile)
#include "tst_touchstone_file.moc"
