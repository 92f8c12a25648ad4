// The hand-over block a later start sends to the running instance.
#include "fuzzsupport.h"

#include "platform/singleinstance.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::input(data, size);

    // As received from a peer.
    const QStringList items = platform::TInstanceBlock::decode(bytes);
    FUZZ_CHECK(items.size() <= platform::TInstanceBlock::MaxItems);
    for (const QString &item : items)
        FUZZ_CHECK(!item.contains(QChar(0)) && item.size() <= platform::TInstanceBlock::MaxItemBytes &&
                   fuzz::validUtf16(item));

    // As sent: the same bytes taken as command-line items, one per line. Each
    // arrives as the whole characters of its first 300 bytes.
    const QStringList args = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    const QByteArray block = platform::TInstanceBlock::encode(0x12345678u, args);
    FUZZ_CHECK(block.size() == platform::TInstanceBlock::Size);
    const QStringList received = platform::TInstanceBlock::decode(block);
    FUZZ_CHECK(received.size() == qMin<qsizetype>(args.size(), platform::TInstanceBlock::MaxItems));
    for (int i = 0; i < received.size(); ++i) {
        const QByteArray stored = platform::TInstanceBlock::itemBytes(args.at(i));
        FUZZ_CHECK(stored.size() <= platform::TInstanceBlock::MaxItemBytes);
        FUZZ_CHECK(received.at(i) == QString::fromUtf8(stored));
        FUZZ_CHECK(args.at(i).toUtf8().startsWith(stored));
    }
    return 0;
}
