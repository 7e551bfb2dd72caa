#pragma once

// The main of a fuzz target built without libFuzzer: the samples first, then pseudo-random
// inputs in which the bytes that matter to the reader come up far more often than the rest.

#include <QByteArray>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <random>
#include <string_view>

namespace navlor::test {

struct FuzzDriverShape
{
    std::string_view interesting; // bytes that matter to the reader
    int shortLength = 300;        // most inputs are shorter than this
    int longLength = 4000;        // one in fifty is up to this long
    const char* what = "inputs";  // for the closing line
};

template <typename Feed>
int runFuzzDriver(int argc, char** argv, std::initializer_list<std::string_view> samples,
                  const FuzzDriverShape& shape, Feed feed)
{
    const long runs = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 20000;
    for (std::string_view sample : samples)
        feed(QByteArray(sample.data(), static_cast<qsizetype>(sample.size())));

    std::mt19937 random(20260607);
    for (long run = 0; run < runs; ++run) {
        const int length =
            static_cast<int>(random() % (run % 50 == 0 ? shape.longLength : shape.shortLength));
        QByteArray bytes(length, Qt::Uninitialized);
        for (char& b : bytes)
            b = random() % 3 == 0 ? static_cast<char>(random() % 256)
                                  : shape.interesting[random() % shape.interesting.size()];
        feed(bytes);
    }
    std::printf("%ld %s taken without fault\n", runs, shape.what);
    return 0;
}

} // namespace navlor::test
