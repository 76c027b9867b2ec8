// The node operations of the sdk_features fuzz target (see FeatureOperations.h).
#include "FeatureOperations.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace fuzzing {

using namespace Quill;

namespace {

const char* const kNames[] = {"AcquisitionControl",
                              "AcquisitionFrameCount",
                              "AcquisitionFrameRateAbs",
                              "AcquisitionFrameRateEnable",
                              "AcquisitionMode",
                              "AcquisitionStart",
                              "AcquisitionStop",
                              "AnalogControl",
                              "ChunkDataControl",
                              "ChunkFramecounter",
                              "ChunkModeActive",
                              "ChunkTimestamp",
                              "DeviceControl",
                              "DeviceModelName",
                              "DeviceSerialNumber",
                              "DeviceVendorName",
                              "ExposureMode",
                              "ExposureTimeAbs",
                              "ExposureTimeBaseAbs",
                              "ExposureTimeRaw",
                              "GainRaw",
                              "GainSelector",
                              "Height",
                              "ImageFormatControl",
                              "PayloadSize",
                              "PixelFormat",
                              "ResultingFrameRateAbs",
                              "Root",
                              "TLParamsLocked",
                              "TransportLayerControl",
                              "TriggerMode",
                              "TriggerSoftware",
                              "TriggerSource",
                              "Width",
                              "MaxBufferSize",
                              "MaxNumBuffer"};

const char* const kWords[] = {"Mono8",
                              "BayerRG8",
                              "YUV422Packed",
                              "BGRA8Packed",
                              "Mono16",
                              "On",
                              "Off",
                              "Line1",
                              "Software",
                              "Continuous",
                              "SingleFrame",
                              "MultiFrame",
                              "Timed",
                              "All",
                              "true",
                              "false",
                              "1",
                              "0",
                              "-1",
                              "1e308",
                              "nan",
                              "inf",
                              "-inf",
                              "0x10",
                              "9223372036854775807",
                              "9223372036854775808",
                              "-9223372036854775809",
                              " 12",
                              "12 ",
                              "",
                              "1.5",
                              "1e-320"};


std::string Text(FuzzedDataProvider& input, const char* const* words, size_t count) {
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
        case 1:
            return words[input.ConsumeIntegralInRange<size_t>(0, count - 1)];
        case 2: {
            // A near miss: a real word with a byte changed, cut or added.
            std::string word = words[input.ConsumeIntegralInRange<size_t>(0, count - 1)];
            const size_t at = word.empty() ? 0 : input.ConsumeIntegralInRange<size_t>(0, word.size() - 1);
            const char byte = static_cast<char>(input.ConsumeIntegral<uint8_t>());
            switch (input.ConsumeIntegralInRange<int>(0, 2)) {
                case 0:
                    if (!word.empty())
                        word[at] = byte;
                    break;
                case 1:
                    word.resize(at);
                    break;
                default:
                    word.insert(word.begin() + static_cast<std::ptrdiff_t>(at), byte);
                    break;
            }
            return word;
        }
        default:
            return input.ConsumeRandomLengthString(40);
    }
}

int64_t Integer(FuzzedDataProvider& input, GenApi::IInteger* node) {
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
        case 0: {
            static const int64_t kExtremes[] = {std::numeric_limits<int64_t>::min(), -1, 0, 1,
                                                std::numeric_limits<int64_t>::max()};
            return kExtremes[input.ConsumeIntegralInRange<size_t>(0, 4)];
        }
        case 1:
            if (node != nullptr) {
                // Near the limits, where range and increment checks live.
                try {
                    const int64_t base = input.ConsumeBool() ? node->GetMin() : node->GetMax();
                    const int64_t step = input.ConsumeIntegralInRange<int64_t>(-3, 3);
                    if ((step > 0 && base > std::numeric_limits<int64_t>::max() - step) ||
                        (step < 0 && base < std::numeric_limits<int64_t>::min() - step)) {
                        return base;
                    }
                    return base + step;
                } catch (const GenICam::GenericException&) {
                    return 0;
                }
            }
            return 0;
        case 2:
            return input.ConsumeIntegralInRange<int64_t>(-4096, 4096);
        default:
            return input.ConsumeIntegral<int64_t>();
    }
}

double Real(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange<int>(0, 2)) {
        case 0: {
            static const double kSpecials[] = {std::numeric_limits<double>::quiet_NaN(),
                                               std::numeric_limits<double>::infinity(),
                                               -std::numeric_limits<double>::infinity(),
                                               std::numeric_limits<double>::max(),
                                               std::numeric_limits<double>::lowest(),
                                               std::numeric_limits<double>::denorm_min(),
                                               -0.0,
                                               0.0,
                                               1.0,
                                               1e6,
                                               1e-6,
                                               9.3e18,
                                               -9.3e18};
            return kSpecials[input.ConsumeIntegralInRange<size_t>(
                0, sizeof(kSpecials) / sizeof(kSpecials[0]) - 1)];
        }
        case 1:
            return input.ConsumeFloatingPointInRange<double>(-1e7, 1e7);
        default:
            return input.ConsumeFloatingPoint<double>();
    }
}


}  // namespace

void Fail(const char* what) {
    std::fprintf(stderr, "sdk_features: %s\n", what);
    std::abort();
}

std::string NodeName(FuzzedDataProvider& input) {
    return Text(input, kNames, sizeof(kNames) / sizeof(kNames[0]));
}

// One operation on a node through one of its interfaces (or one it lacks).
void UseNode(FuzzedDataProvider& input, GenApi::INode* node) {
    const int interfaceChoice = input.ConsumeIntegralInRange<int>(0, 8);
    const int operation = input.ConsumeIntegralInRange<int>(0, 7);
    const bool verify = input.ConsumeBool();
    switch (interfaceChoice) {
        case 0: {
            GenApi::CIntegerPtr value(node);
            switch (operation) {
                case 0:
                    value->SetValue(Integer(input, value), verify);
                    break;
                case 1:
                    value->GetValue(verify, input.ConsumeBool());
                    break;
                case 2:
                    value->GetMin();
                    value->GetMax();
                    break;
                case 3:
                    value->GetInc();
                    value->GetUnit();
                    break;
                case 4:
                    value->FromString(Text(input, kWords, sizeof(kWords) / sizeof(kWords[0])).c_str(),
                                      verify);
                    break;
                default:
                    value->ToString(verify, input.ConsumeBool());
                    break;
            }
            break;
        }
        case 1: {
            GenApi::CFloatPtr value(node);
            switch (operation) {
                case 0:
                    value->SetValue(Real(input), verify);
                    break;
                case 1:
                    value->GetValue(verify, input.ConsumeBool());
                    break;
                case 2:
                    value->GetMin();
                    value->GetMax();
                    value->GetUnit();
                    break;
                case 3:
                    value->FromString(Text(input, kWords, sizeof(kWords) / sizeof(kWords[0])).c_str(),
                                      verify);
                    break;
                default:
                    value->ToString(verify, input.ConsumeBool());
                    break;
            }
            break;
        }
        case 2: {
            GenApi::CBooleanPtr value(node);
            switch (operation) {
                case 0:
                    value->SetValue(input.ConsumeBool(), verify);
                    break;
                case 1:
                    value->GetValue(verify, input.ConsumeBool());
                    break;
                case 2:
                    value->FromString(Text(input, kWords, sizeof(kWords) / sizeof(kWords[0])).c_str(),
                                      verify);
                    break;
                default:
                    value->ToString(verify);
                    break;
            }
            break;
        }
        case 3: {
            GenApi::CEnumerationPtr value(node);
            switch (operation) {
                case 0:
                    value->FromString(Text(input, kWords, sizeof(kWords) / sizeof(kWords[0])).c_str(),
                                      verify);
                    break;
                case 1:
                    value->SetIntValue(input.ConsumeBool()
                                           ? input.ConsumeIntegral<int64_t>()
                                           : input.ConsumeIntegralInRange<int64_t>(0, 0x02200040),
                                       verify);
                    break;
                case 2: {
                    GenApi::NodeList_t entries;
                    value->GetEntries(entries);
                    if (!entries.empty()) {
                        GenApi::CEnumEntryPtr entry(
                            entries[input.ConsumeIntegralInRange<size_t>(0, entries.size() - 1)]);
                        if (entry.IsValid() && GenApi::IsAvailable(entry)) {
                            value->SetIntValue(entry->GetValue(), verify);
                        }
                        entry->GetSymbolic();
                    }
                    break;
                }
                case 3: {
                    GenApi::StringList_t symbolics;
                    value->GetSymbolics(symbolics);
                    break;
                }
                case 4: {
                    GenApi::IEnumEntry* entry = value->GetEntryByName(
                        Text(input, kWords, sizeof(kWords) / sizeof(kWords[0])).c_str());
                    if (entry != nullptr) {
                        entry->GetValue();
                        entry->ToString();
                    }
                    break;
                }
                case 5: {
                    GenApi::IEnumEntry* entry = value->GetEntry(input.ConsumeIntegral<int64_t>());
                    if (entry != nullptr) {
                        entry->GetSymbolic();
                    }
                    break;
                }
                case 6: {
                    GenApi::IEnumEntry* entry = value->GetCurrentEntry(verify);
                    if (entry == nullptr) {
                        Fail("an enumeration without a current entry");
                    }
                    break;
                }
                default:
                    value->GetIntValue(verify, input.ConsumeBool());
                    value->ToString();
                    break;
            }
            break;
        }
        case 4: {
            GenApi::CCommandPtr value(node);
            if (operation < 4) {
                value->Execute(verify);
            } else {
                value->IsDone(verify);
            }
            break;
        }
        case 5: {
            GenApi::CStringPtr value(node);
            switch (operation) {
                case 0:
                    value->SetValue(Text(input, kWords, sizeof(kWords) / sizeof(kWords[0])).c_str(), verify);
                    break;
                case 1:
                    value->GetMaxLength();
                    break;
                default:
                    value->GetValue(verify, input.ConsumeBool());
                    break;
            }
            break;
        }
        case 6: {
            GenApi::CCategoryPtr value(node);
            GenApi::FeatureList_t features;
            value->GetFeatures(features);
            for (GenApi::IValue* feature : features) {
                if (feature == nullptr) {
                    Fail("a category lists a null feature");
                }
                if (GenApi::IsReadable(feature)) {
                    feature->ToString();
                }
            }
            break;
        }
        case 7: {
            GenApi::CValuePtr value(node);
            if (operation < 4) {
                value->FromString(Text(input, kWords, sizeof(kWords) / sizeof(kWords[0])).c_str(), verify);
            } else {
                value->ToString(verify, input.ConsumeBool());
            }
            break;
        }
        default:
            if (node != nullptr) {
                node->GetName(input.ConsumeBool());
                node->GetDisplayName();
                node->GetDescription();
                node->GetToolTip();
                node->GetVisibility();
                node->GetPrincipalInterfaceType();
                node->IsFeature();
                if (node->GetNodeMap() == nullptr) {
                    Fail("a node without its node map");
                }
            }
            break;
    }
}

}  // namespace fuzzing
