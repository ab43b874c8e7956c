// Resource XML: any text is read node by node until its end or an error,
// without reading outside it.

#include <cstddef>
#include <cstdint>
#include <string>

#include "framework/resources/XmlReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Brisk::XmlReader reader;
    reader.OpenText(std::string(reinterpret_cast<const char*>(data), size), "fuzz.xml");
    Brisk::XmlNode node;
    size_t nodes = 0;
    while (reader.NextNode(&node) && nodes < 100000) {
        ++nodes;
    }
    volatile size_t sink = nodes + reader.GetErrorText().size();
    (void)sink;
    return 0;
}
