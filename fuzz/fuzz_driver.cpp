// Without libFuzzer: feeds a fixed-seed mix of random bytes and structured
// answer soup to the fuzz entry point for a bounded number of runs.
#include "link/protocol/protocol.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

constexpr int DefaultRuns = 3000;
constexpr int MaxRandomBytes = 512;
constexpr int MaxPieces = 12;
constexpr int OneMiB = 1024 * 1024;
constexpr quint32 Seed = 20240611;

void feed(const QByteArray &bytes)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), static_cast<size_t>(bytes.size()));
}

QByteArray statusString(QRandomGenerator &rng)
{
    static const char letters[] = "YyNnx0";
    const int n = rng.bounded(0, 20);
    QByteArray s;
    for (int i = 0; i < n; ++i)
        s += letters[rng.bounded(6)];
    return s;
}

QByteArray number(QRandomGenerator &rng)
{
    static const char *const numbers[] = {"0", "1", "99", "-1", "16", "17", "2147483648", "99999999999999999999", "", "abc"};
    return numbers[rng.bounded(10)];
}

QByteArray answerSoup(QRandomGenerator &rng)
{
    QByteArray out;
    out += char(rng.bounded(256)); // flag byte
    const auto &table = Protocol::answerTable();
    static const char *const extra[] = {"ch", "in", "out", "ok", "ip", "mask", "gateway", "is", "res", "\r\n",
                                        " ", "err", "mcutx", "osd:", ",pos:", "string:", "ABCD", "group"};
    const int pieces = rng.bounded(1, MaxPieces);
    for (int i = 0; i < pieces; ++i) {
        switch (rng.bounded(5)) {
        case 0: {
            const auto &t = table.at(rng.bounded(table.size()));
            out += QByteArray(t.first.data(), t.first.size());
            out += number(rng);
            out += QByteArray(t.second.data(), t.second.size());
            break;
        }
        case 1:
            out += QByteArray("ch") + number(rng) + "x" + number(rng) + "in" + statusString(rng)
                   + (rng.bounded(2) ? QByteArray("out") + statusString(rng) : QByteArray()) + "ok";
            break;
        case 2:
            out += extra[rng.bounded(int(sizeof extra / sizeof *extra))];
            break;
        case 3:
            out += "out" + number(rng) + "in" + number(rng) + "ok";
            break;
        default:
            out += number(rng);
            break;
        }
    }
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : DefaultRuns;
    QRandomGenerator rng(Seed);
    for (int i = 0; i < runs; ++i) {
        if (i % 3 == 0) {
            QByteArray noise(rng.bounded(MaxRandomBytes), Qt::Uninitialized);
            for (char &c : noise)
                c = char(rng.bounded(256));
            feed(noise);
        } else {
            feed(answerSoup(rng));
        }
    }
    // Fixed shapes: a 1 MiB answer with no "ok", ports 0 and 99, "in" without "out".
    feed(QByteArray(1, '\0') + "ch16x16in" + QByteArray(OneMiB, 'Y'));
    feed(QByteArray(1, '\x01') + QByteArray(OneMiB, 'n') + "out");
    feed(QByteArray(1, '\x02') + "out0in99ok" + "out99in0ok");
    feed(QByteArray(1, '\x03') + "chinYYYYoutok");
    feed(QByteArray(1, '\x03') + "ch4x4inYYNN");
    feed(QByteArray(1, '\x05') + "systemonip999.1.1.1maskgateway");
    std::printf("fed %d inputs\n", runs + 6);
    return 0;
}
