#include "Camera/FeatureHelpers.h"

#include <new>

using GenApi::CBooleanPtr;
using GenApi::CCommandPtr;
using GenApi::CEnumEntryPtr;
using GenApi::CEnumerationPtr;
using GenApi::CFloatPtr;
using GenApi::CIntegerPtr;
using GenApi::INode;
using GenApi::INodeMap;

namespace {

// Looks the feature up. E_NOTIMPL when it is missing or not implemented; the
// caller runs this inside its own exception guard.
HRESULT FindFeature(INodeMap* nodeMap, const char* name, INode** node) {
    *node = nodeMap->GetNode(name);
    if (*node == nullptr || (*node)->GetAccessMode() == GenApi::NI) {
        return E_NOTIMPL;
    }
    return S_OK;
}

// Runs one feature access: argument checks, the lookup, then the typed work,
// with every GenICam exception turned into E_NOTIMPL.
template <class Work>
HRESULT AccessFeature(INodeMap* nodeMap, const char* name, HRESULT nullNodeMapResult, Work work) {
    if (nodeMap == nullptr || name == nullptr) {
        return nullNodeMapResult;
    }
    try {
        INode* node = nullptr;
        const HRESULT hr = FindFeature(nodeMap, name, &node);
        if (FAILED(hr)) {
            return hr;
        }
        return work(node);
    } catch (const GenICam::GenericException&) {
        return E_NOTIMPL;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

// Entries of an enumeration that a client may choose: implemented and available.
bool IsSelectableEntry(const CEnumEntryPtr& entry) {
    if (!entry.IsValid()) {
        return false;
    }
    const GenApi::EAccessMode mode = static_cast<GenApi::IEnumEntry*>(entry)->GetAccessMode();
    return mode != GenApi::NI && mode != GenApi::NA;
}

}  // namespace

HRESULT GetIntegerFeature(INodeMap* nodeMap, const char* name, int64_t* value, int64_t* minimum,
                          int64_t* maximum, int64_t* increment) {
    return AccessFeature(nodeMap, name, E_INVALIDARG, [&](INode* node) -> HRESULT {
        CIntegerPtr feature(node);
        if (!feature.IsValid()) {
            return E_FAIL;
        }
        // Read everything before writing anything, so a failure leaves the outputs untouched.
        const int64_t readValue = value != nullptr ? feature->GetValue() : 0;
        const int64_t readMinimum = minimum != nullptr ? feature->GetMin() : 0;
        const int64_t readMaximum = maximum != nullptr ? feature->GetMax() : 0;
        const int64_t readIncrement = increment != nullptr ? feature->GetInc() : 0;
        if (value != nullptr) {
            *value = readValue;
        }
        if (minimum != nullptr) {
            *minimum = readMinimum;
        }
        if (maximum != nullptr) {
            *maximum = readMaximum;
        }
        if (increment != nullptr) {
            *increment = readIncrement;
        }
        return S_OK;
    });
}

HRESULT SetIntegerFeature(INodeMap* nodeMap, const char* name, int64_t value) {
    return AccessFeature(nodeMap, name, E_INVALIDARG, [&](INode* node) -> HRESULT {
        CIntegerPtr feature(node);
        if (!feature.IsValid()) {
            return E_INVALIDARG;
        }
        feature->SetValue(value, true);
        return S_OK;
    });
}

HRESULT GetFloatFeature(INodeMap* nodeMap, const char* name, double* value, double* minimum,
                        double* maximum) {
    return AccessFeature(nodeMap, name, E_INVALIDARG, [&](INode* node) -> HRESULT {
        CFloatPtr feature(node);
        if (!feature.IsValid()) {
            return E_FAIL;
        }
        const double readValue = value != nullptr ? feature->GetValue() : 0.0;
        const double readMinimum = minimum != nullptr ? feature->GetMin() : 0.0;
        const double readMaximum = maximum != nullptr ? feature->GetMax() : 0.0;
        if (value != nullptr) {
            *value = readValue;
        }
        if (minimum != nullptr) {
            *minimum = readMinimum;
        }
        if (maximum != nullptr) {
            *maximum = readMaximum;
        }
        return S_OK;
    });
}

HRESULT SetFloatFeature(INodeMap* nodeMap, const char* name, double value) {
    return AccessFeature(nodeMap, name, E_INVALIDARG, [&](INode* node) -> HRESULT {
        CFloatPtr feature(node);
        if (!feature.IsValid()) {
            return E_INVALIDARG;
        }
        feature->SetValue(value, true);
        return S_OK;
    });
}

HRESULT GetBooleanFeature(INodeMap* nodeMap, const char* name, bool* value) {
    if (nodeMap != nullptr && name != nullptr && value == nullptr) {
        return E_POINTER;
    }
    return AccessFeature(nodeMap, name, E_INVALIDARG, [&](INode* node) -> HRESULT {
        CBooleanPtr feature(node);
        if (!feature.IsValid()) {
            return E_FAIL;
        }
        *value = feature->GetValue();
        return S_OK;
    });
}

HRESULT SetBooleanFeature(INodeMap* nodeMap, const char* name, bool value) {
    return AccessFeature(nodeMap, name, E_INVALIDARG, [&](INode* node) -> HRESULT {
        CBooleanPtr feature(node);
        if (!feature.IsValid()) {
            return E_INVALIDARG;
        }
        feature->SetValue(value, true);
        return S_OK;
    });
}

HRESULT GetCommandFeature(INodeMap* nodeMap, const char* name, GenApi::ICommand** command) {
    if (nodeMap != nullptr && name != nullptr && command == nullptr) {
        return E_POINTER;
    }
    return AccessFeature(nodeMap, name, E_INVALIDARG, [&](INode* node) -> HRESULT {
        CCommandPtr feature(node);
        if (!feature.IsValid()) {
            return E_FAIL;
        }
        *command = feature;
        return S_OK;
    });
}

HRESULT GetEnumerationValue(INodeMap* nodeMap, const char* name, int64_t* value) {
    if (nodeMap != nullptr && name != nullptr && value == nullptr) {
        return E_POINTER;
    }
    return AccessFeature(nodeMap, name, E_INVALIDARG, [&](INode* node) -> HRESULT {
        CEnumerationPtr feature(node);
        if (!feature.IsValid()) {
            return E_FAIL;
        }
        *value = feature->GetIntValue();
        return S_OK;
    });
}

HRESULT SetEnumerationValue(INodeMap* nodeMap, const char* name, int64_t value) {
    return AccessFeature(nodeMap, name, E_INVALIDARG, [&](INode* node) -> HRESULT {
        CEnumerationPtr feature(node);
        if (!feature.IsValid()) {
            return E_FAIL;
        }
        feature->SetIntValue(value, true);
        return S_OK;
    });
}

HRESULT GetEnumerationString(INodeMap* nodeMap, const char* name, GenICam::gcstring* value) {
    if (nodeMap != nullptr && name != nullptr && value == nullptr) {
        return E_POINTER;
    }
    return AccessFeature(nodeMap, name, E_INVALIDARG, [&](INode* node) -> HRESULT {
        CEnumerationPtr feature(node);
        if (!feature.IsValid()) {
            return E_FAIL;
        }
        // An enumeration whose value matches none of its entries has no symbolic name.
        GenApi::IEnumEntry* entry = feature->GetCurrentEntry();
        if (entry == nullptr) {
            return E_FAIL;
        }
        *value = entry->GetSymbolic();
        return S_OK;
    });
}

HRESULT SetEnumerationString(INodeMap* nodeMap, const char* name, const char* value) {
    if (nodeMap != nullptr && name != nullptr && value == nullptr) {
        return E_INVALIDARG;
    }
    return AccessFeature(nodeMap, name, E_INVALIDARG, [&](INode* node) -> HRESULT {
        CEnumerationPtr feature(node);
        if (!feature.IsValid()) {
            return E_FAIL;
        }
        feature->FromString(GenICam::gcstring(value), true);
        return S_OK;
    });
}

HRESULT GetEnumerationValues(INodeMap* nodeMap, const char* name, std::vector<int64_t>* values) {
    if (nodeMap != nullptr && name != nullptr && values == nullptr) {
        return E_POINTER;
    }
    if (values != nullptr) {
        values->clear();
    }
    return AccessFeature(nodeMap, name, E_INVALIDARG, [&](INode* node) -> HRESULT {
        CEnumerationPtr feature(node);
        if (!feature.IsValid()) {
            return E_FAIL;
        }
        GenApi::NodeList_t entries;
        feature->GetEntries(entries);
        for (INode* entryNode : entries) {
            CEnumEntryPtr entry(entryNode);
            if (IsSelectableEntry(entry)) {
                values->push_back(entry->GetValue());
            }
        }
        return S_OK;
    });
}

HRESULT GetEnumerationEntries(INodeMap* nodeMap, const char* name, GenICam::gcstring_vector* entries) {
    if (nodeMap != nullptr && name != nullptr && entries == nullptr) {
        return E_POINTER;
    }
    if (entries != nullptr) {
        entries->clear();
    }
    return AccessFeature(nodeMap, name, E_INVALIDARG, [&](INode* node) -> HRESULT {
        CEnumerationPtr feature(node);
        if (!feature.IsValid()) {
            return E_FAIL;
        }
        GenApi::NodeList_t entryNodes;
        feature->GetEntries(entryNodes);
        for (INode* entryNode : entryNodes) {
            CEnumEntryPtr entry(entryNode);
            if (IsSelectableEntry(entry)) {
                entries->push_back(entry->GetSymbolic());
            }
        }
        return S_OK;
    });
}
