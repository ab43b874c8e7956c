// Resource XML: any text is read node by node until its end or an error,
// without reading outside it, and the same text parsed as resource sections
// either defines resources or reports one error.

#include <cstddef>
#include <cstdint>
#include <string>

#include "framework/app/ResourceManager.h"
#include "framework/resources/XmlReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Brisk::XmlReader reader;
    reader.OpenText(text, "fuzz.xml");
    Brisk::XmlNode node;
    size_t nodes = 0;
    while (reader.NextNode(&node) && nodes < 100000) {
        ++nodes;
    }

    // Without an application nothing loads: only the sections are read.
    Brisk::ResourceManager manager(nullptr);
    const bool ok = manager.ParseResourcesText(text, "fuzz.xml");
    if (ok == manager.HadError()) {
        __builtin_trap();  // a failure must leave its text, a success none
    }
    volatile size_t sink = nodes + reader.GetErrorText().size() + manager.GetErrorText().size();
    (void)sink;
    return 0;
}
