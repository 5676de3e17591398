// diff A B: the configuration bytes of two sources compared function by
// function; exit 0 when they hold the same, 1 when they differ, 2 on trouble.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>

#include "cli/commands/command.h"
#include "cli/standard_streams.h"
#include "interchange/input_file.h"
#include "interchange/pci_diff.h"
#include "registers/register_book.h"

namespace zelkora::cli {

namespace {

struct DiffOptions {
    std::string a;
    std::string b;
    bool json = false;
};

std::string counted(std::size_t count, const char* thing) {
    return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

std::string summary(const interchange::PciDifference& difference, std::size_t common) {
    std::string text = difference.equal()
                           ? "the " + counted(common, "function") + " of both hold the same bytes"
                           : "they differ in " + counted(difference.changedBytes(), "byte") +
                                 " of " + counted(difference.changedFunctions(), "function") +
                                 "; " + counted(difference.onlyInA.size(), "function") +
                                 " only in A, " + std::to_string(difference.onlyInB.size()) +
                                 " only in B";
    if (const std::size_t partly = difference.partlyCompared(); partly > 0) {
        text += " (" + counted(partly, "function") +
                " with bytes that only one side holds, which were not compared)";
    }
    return text;
}

}  // namespace

Action defineDiff(CLI::App& command) {
    auto options = std::make_shared<DiffOptions>();
    const char* source =
        "live (this machine's bus), a machine description, a listing of list --json, a PCI "
        "configuration file of pci-save, or lspci -xxx output";
    command.add_option("A", options->a, source)->required();
    command.add_option("B", options->b, source)->required();
    command.add_flag("--json", options->json,
                     "Write the differences as one JSON object "
                     "(share/zelkora/zelkora.schema.json)");
    return [options] {
        std::vector<interchange::FunctionSpace> a, b;
        registers::RegisterBook book;
        try {
            book = registers::readShippedRegisterBook();
            a = interchange::readFunctionSpaces(options->a);
            b = interchange::readFunctionSpaces(options->b);
        } catch (const interchange::InputError& error) {
            complain(error.what());
            return kUsageOrFileError;
        } catch (const registers::RegisterFileError& error) {
            complain(error.what());
            return kUsageOrFileError;
        }
        const auto difference = interchange::comparePciSpaces(a, b);
        const std::string text =
            options->json ? interchange::pciDifferenceJson(difference, options->a, options->b, book)
                          : interchange::pciDifferenceText(difference, book);
        std::fwrite(text.data(), 1, text.size(), stdout);
        if (!standardOutputWritten()) return kUsageOrFileError;
        complain(options->a + " and " + options->b + ": " +
                 summary(difference, a.size() - difference.onlyInA.size()));
        return difference.equal() ? kSuccess : kSourcesDiffer;
    };
}

}  // namespace zelkora::cli
