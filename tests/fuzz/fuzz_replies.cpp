// The reply collector against any byte stream the line may deliver: SYN
// runs, early ETX, silence (the end of the input) and replies longer than
// the limit. The first byte picks the limit; the rest is the line.
#include "comm.h"

#include "require.h"

#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const int limits[] = { 0, 1, 7, 200 };
    const int limit = limits[data[0] % 4];
    const unsigned char canary = 0xA5;
    std::vector<unsigned char> buffer(size_t(limit) + 16, canary);

    ReplyCollector collector(buffer.data(), limit);
    size_t consumed = 0;
    for (size_t i = 1; i < size && collector.wantsMore(); ++i, ++consumed)
        collector.feed(data[i]);

    const int stored = collector.storedCount();
    require(stored >= 0 && stored <= limit);
    require(size_t(stored) <= consumed);
    for (size_t i = size_t(stored); i < buffer.size(); ++i)
        require(buffer[i] == canary || (i < size_t(limit) && buffer[i] == SYN));
    for (int i = 0; i < stored; ++i) {
        require(buffer[size_t(i)] != SYN);
        require(buffer[size_t(i)] != ETX || i == stored - 1);
    }
    return 0;
}
