// Input: the bytes of a customer file. The chain the program runs on it must lose nothing
// the file can hold: read it, open it on the sample catalogue, build the order list, read
// the list's RTF copy back, save the record into the file and read it again.
#include "core/customer/CustomerRecord.h"
#include "core/platform/TextCodec.h"
#include "core/richtext/RtfReader.h"
#include "core/session/Configurator.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace kb;

namespace {

std::string g_input;

std::string Escaped(const std::string& bytes) {
    std::string text = "\"";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 32 && byte < 127 && c != '"' && c != '\\') {
            text += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", byte);
            text += hex;
        }
    }
    return text + "\"";
}

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_customer: %s\nfile %s\n", what, Escaped(g_input).c_str());
        std::abort();
    }
}

const Configurator& Loaded() {
    static const Configurator loaded = [] {
        Configurator c;
        const LoadOutcome outcome =
            c.LoadCatalogue(KITBUILDER_DATA_DIR "/KITBUILDER.INI", KITBUILDER_DATA_DIR "/KITBUILDER.PRS");
        if (outcome.result != LoadResult::Loaded) {
            std::fprintf(stderr, "fuzz_customer: the sample catalogue does not load: %s\n",
                         outcome.detail.c_str());
            std::abort();
        }
        c.StartUp(false);
        return c;
    }();
    return loaded;
}

std::string g_folder;

void RemoveFolder() {
    ::unlink((g_folder + "/customer.kd").c_str());
    ::rmdir(g_folder.c_str());
}

const std::string& CustomerPath() {
    static const std::string path = [] {
        // Every save syncs the file and its folder; in memory that costs next to nothing.
        const char* tmp = std::getenv("TMPDIR");
        const std::string base = tmp && *tmp ? tmp : (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
        std::string pattern = base + "/fuzz_customer.XXXXXX";
        Require(::mkdtemp(pattern.data()) != nullptr, "cannot create a scratch folder");
        g_folder = pattern;
        std::atexit(RemoveFolder);
        return g_folder + "/customer.kd";
    }();
    return path;
}

// What the RTF copy can carry of a text: control characters other than tabs (C0, DEL and
// C1, which an undefined Windows-1252 byte decodes to) are left out.
std::string Printable(const std::string& text) {
    std::string kept;
    for (const char32_t c : ToCodePoints(text))
        if (c == '\t' || (c >= 32 && (c < 0x7F || c > 0x9F)))
            AppendUtf8(kept, c);
    return kept;
}

void CheckOrderList(const OrderList& list, const CustomerRecord& customer) {
    // Every customer text but the code stands in the list, under its caption.
    for (int f = CustomerRecord::Company1; f <= CustomerRecord::Ident2; ++f) {
        const auto field = static_cast<CustomerRecord::Field>(f);
        bool found = false;
        for (const OrderListRow& row : list.rows)
            found = found || (row[1] == CustomerRecord::LabelCaption(field) && row[2] == customer[field]);
        Require(found, "a customer text is missing from the order list");
    }

    const Result<RtfDocument> copy = ReadRtf(list.rtf);
    Require(copy.has_value(), "the order list's RTF copy is not read");
    Require(copy->paragraphs.size() == list.rows.size(), "the RTF copy has another number of rows");
    for (std::size_t r = 0; r < list.rows.size(); ++r) {
        std::string expected;
        for (const std::string& cell : list.rows[r])
            expected += Printable(cell) + '\t';
        Require(copy->Text(copy->paragraphs[r]) == expected, "a row of the RTF copy differs");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    g_input.assign(reinterpret_cast<const char*>(data), size);
    const std::string& path = CustomerPath();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << g_input;
        Require(static_cast<bool>(out), "cannot write the customer file");
    }

    const Result<CustomerRecord> readResult = ReadCustomerFile(path);
    Require(readResult.has_value(), "a regular customer file is reported unreadable");
    const CustomerRecord& read = *readResult;
    for (const std::string& field : read.fields)
        Require(field.find_first_of("\r\n") == std::string::npos, "a customer text holds a line break");

    Configurator c = Loaded();
    c.OpenCustomerFile(path);
    Require(c.customerFile() == path, "the opened file is not the current customer file");
    Require(c.customer().fields == read.fields, "opening gives another record than reading");

    const Result<OrderList> build = c.BuildOrderlist();
    if (build) {
        Require(c.customer()[CustomerRecord::Code] == build->code, "the order list's code is not stored");
        CheckOrderList(*build, c.customer());
    }

    const auto saveFailure = c.SaveToCustomerFile();
    Require(!saveFailure, "saving the customer file failed");
    const Result<CustomerRecord> saved = ReadCustomerFile(path);
    Require(saved.has_value(), "the saved customer file is reported unreadable");
    Require(saved->fields == c.customer().fields, "the saved record does not read back");

    if (build) {
        // The stored code brings back the configuration, and with it the same order list.
        Configurator reopened = Loaded();
        const auto messages = reopened.OpenCustomerFile(path);
        Require(messages.empty(), "the saved file does not open cleanly");
        const Result<OrderList> again = reopened.BuildOrderlist();
        Require(again.has_value(), "the reopened file gives no order list");
        Require(again->rows == build->rows, "the reopened file gives another order list");
    }
    return 0;
}
