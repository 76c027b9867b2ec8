#include "configdialog/FeatureCatalog.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "quill/GCException.h"

using namespace GenApi;

namespace {

bool Shows(EVisibility visibility, EVisibility level) {
    return visibility != Invisible && visibility <= level;
}

FeatureKind KindOf(INode* node) {
    switch (node->GetPrincipalInterfaceType()) {
        case intfIInteger:
            return FeatureKind::Integer;
        case intfIFloat:
            return FeatureKind::Float;
        case intfIBoolean:
            return FeatureKind::Boolean;
        case intfIEnumeration:
            return FeatureKind::Enumeration;
        case intfICommand:
            return FeatureKind::Command;
        case intfIString:
            return FeatureKind::String;
        default:
            return FeatureKind::Other;
    }
}

std::string FormatInteger(int64_t value) {
    char text[32];
    snprintf(text, sizeof(text), "%lld", static_cast<long long>(value));
    return text;
}

std::string FormatFloat(double value) {
    char text[64];
    snprintf(text, sizeof(text), "%.10g", value);
    return text;
}

// Whole-text parsing: "12abc", "" and out-of-range numbers are refused.
bool ParseInteger(const std::string& text, int64_t& value) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long long parsed = strtoll(begin, &end, 0);
    while (end && (*end == ' ' || *end == '\t')) {
        ++end;
    }
    if (end == begin || !end || *end != '\0' || errno == ERANGE) {
        return false;
    }
    value = parsed;
    return true;
}

bool ParseFloat(const std::string& text, double& value) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const double parsed = strtod(begin, &end);
    while (end && (*end == ' ' || *end == '\t')) {
        ++end;
    }
    if (end == begin || !end || *end != '\0' || errno == ERANGE || parsed != parsed) {
        return false;
    }
    value = parsed;
    return true;
}

}  // namespace

bool CFeatureCatalog::Build(CDialogDeviceCallback::Lease& lease, EVisibility level) {
    Clear();
    INodeMap* nodeMap = lease.NodeMap();
    // Read after NodeMap(), which may find the device gone and move on.
    m_generation = lease.Generation();
    if (!nodeMap) {
        return false;
    }
    m_built = true;
    try {
        std::vector<INode*> visited;
        if (INode* root = nodeMap->GetNode("Root")) {
            Walk(root, level, visited);
        } else {
            // Without a root, every category that no other category holds.
            NodeList_t nodes;
            nodeMap->GetNodes(nodes);
            std::vector<INode*> held;
            for (INode* node : nodes) {
                if (CCategoryPtr category = node) {
                    FeatureList_t features;
                    category->GetFeatures(features);
                    for (IValue* value : features) {
                        held.push_back(value ? value->GetNode() : nullptr);
                    }
                }
            }
            for (INode* node : nodes) {
                if (node && node->GetPrincipalInterfaceType() == intfICategory &&
                    std::find(held.begin(), held.end(), node) == held.end()) {
                    Walk(node, level, visited);
                }
            }
        }
        // Features that no category reaches are listed last, under a
        // category of the dialog's own.
        NodeList_t nodes;
        nodeMap->GetNodes(nodes);
        const size_t before = m_rows.size();
        FeatureRow other;
        other.isCategory = true;
        other.name = "Other";
        other.displayName = "Other Features";
        m_rows.push_back(other);
        for (INode* node : nodes) {
            if (node && node->IsFeature() && node->GetPrincipalInterfaceType() != intfICategory &&
                std::find(visited.begin(), visited.end(), node) == visited.end()) {
                visited.push_back(node);
                AddFeature(node, level);
            }
        }
        if (m_rows.size() == before + 1) {
            m_rows.pop_back();
        }
    } catch (const GenICam::GenericException&) {
        // A device lost while the tree is read: what was read stays listed,
        // and every later access fails with the camera's reason.
    } catch (const std::exception&) {
    }
    return true;
}

void CFeatureCatalog::Clear() {
    m_rows.clear();
    m_built = false;
}

bool CFeatureCatalog::IsCurrent(CDialogDeviceCallback::Lease& lease) const {
    return lease.Generation() == m_generation;
}

int CFeatureCatalog::Find(const std::string& name) const {
    for (size_t index = 0; index < m_rows.size(); ++index) {
        if (!m_rows[index].isCategory && m_rows[index].name == name) {
            return static_cast<int>(index);
        }
    }
    return -1;
}

void CFeatureCatalog::Walk(INode* node, EVisibility level, std::vector<INode*>& visited) {
    if (!node || std::find(visited.begin(), visited.end(), node) != visited.end()) {
        return;
    }
    visited.push_back(node);
    CCategoryPtr category = node;
    if (!category.IsValid() || !Shows(node->GetVisibility(), level)) {
        return;
    }
    FeatureList_t features;
    category->GetFeatures(features);

    FeatureRow header;
    header.isCategory = true;
    header.name = node->GetName().str();
    header.displayName = node->GetDisplayName().str();
    header.description = node->GetDescription().str();
    header.node = node;
    const size_t headerIndex = m_rows.size();
    m_rows.push_back(header);

    std::vector<INode*> subcategories;
    for (IValue* value : features) {
        INode* feature = value ? value->GetNode() : nullptr;
        if (!feature) {
            continue;
        }
        if (feature->GetPrincipalInterfaceType() == intfICategory) {
            subcategories.push_back(feature);
        } else if (std::find(visited.begin(), visited.end(), feature) == visited.end()) {
            visited.push_back(feature);
            AddFeature(feature, level);
        }
    }
    // A category with nothing to show at this level is not listed.
    if (m_rows.size() == headerIndex + 1) {
        m_rows.pop_back();
    }
    for (INode* subcategory : subcategories) {
        Walk(subcategory, level, visited);
    }
}

void CFeatureCatalog::AddFeature(INode* node, EVisibility level) {
    if (!Shows(node->GetVisibility(), level) || !IsImplemented(node->GetAccessMode())) {
        return;
    }
    FeatureRow row;
    row.name = node->GetName().str();
    row.displayName = node->GetDisplayName().str();
    row.description = node->GetDescription().str();
    row.kind = KindOf(node);
    row.node = node;
    if (row.kind == FeatureKind::Enumeration) {
        if (CEnumerationPtr enumeration = node) {
            NodeList_t entries;
            enumeration->GetEntries(entries);
            for (INode* entryNode : entries) {
                CEnumEntryPtr entry = entryNode;
                if (entry.IsValid() && IsAvailable(entryNode->GetAccessMode()) &&
                    Shows(entryNode->GetVisibility(), level)) {
                    row.entries.push_back(entry->GetSymbolic().str());
                }
            }
        }
    }
    ReadRow(row);
    m_rows.push_back(row);
}

void CFeatureCatalog::ReadRow(FeatureRow& row) {
    INode* node = row.node;
    row.access = node->GetAccessMode();
    row.valueText.clear();
    row.hasRange = false;
    const bool readable = IsReadable(row.access);
    switch (row.kind) {
        case FeatureKind::Integer: {
            CIntegerPtr integer = node;
            row.unit = integer->GetUnit().str();
            if (readable) {
                row.valueText = FormatInteger(integer->GetValue());
                row.integerMinimum = integer->GetMin();
                row.integerMaximum = integer->GetMax();
                row.integerIncrement = integer->GetInc();
                row.hasRange = true;
            }
            break;
        }
        case FeatureKind::Float: {
            CFloatPtr number = node;
            row.unit = number->GetUnit().str();
            if (readable) {
                row.valueText = FormatFloat(number->GetValue());
                row.floatMinimum = number->GetMin();
                row.floatMaximum = number->GetMax();
                row.hasRange = true;
            }
            break;
        }
        case FeatureKind::Boolean: {
            CBooleanPtr boolean = node;
            if (readable) {
                row.booleanValue = boolean->GetValue();
                row.valueText = row.booleanValue ? "True" : "False";
            }
            break;
        }
        case FeatureKind::Enumeration: {
            CEnumerationPtr enumeration = node;
            if (readable) {
                IEnumEntry* entry = enumeration->GetCurrentEntry();
                row.valueText =
                    entry ? entry->GetSymbolic().str() : FormatInteger(enumeration->GetIntValue());
            }
            break;
        }
        case FeatureKind::Command:
            break;
        case FeatureKind::String:
        case FeatureKind::Other: {
            CValuePtr value = node;
            if (readable && value.IsValid()) {
                row.valueText = value->ToString().str();
            }
            break;
        }
    }
}

bool CFeatureCatalog::Refresh(CDialogDeviceCallback::Lease& lease, size_t index) {
    if (!m_built || !IsCurrent(lease) || index >= m_rows.size() || m_rows[index].isCategory ||
        !lease.NodeMap()) {
        return false;
    }
    FeatureRow& row = m_rows[index];
    const GenApi::EAccessMode access = row.access;
    const std::string value = row.valueText;
    const bool hadRange = row.hasRange;
    const int64_t integerMinimum = row.integerMinimum, integerMaximum = row.integerMaximum;
    const double floatMinimum = row.floatMinimum, floatMaximum = row.floatMaximum;
    try {
        ReadRow(row);
    } catch (const GenICam::GenericException&) {
        // The device no longer answers: show the feature as unreadable.
        row.access = NA;
        row.valueText.clear();
        row.hasRange = false;
    } catch (const std::exception&) {
        row.access = NA;
        row.valueText.clear();
        row.hasRange = false;
    }
    return row.access != access || row.valueText != value || row.hasRange != hadRange ||
           row.integerMinimum != integerMinimum || row.integerMaximum != integerMaximum ||
           row.floatMinimum != floatMinimum || row.floatMaximum != floatMaximum;
}

FeatureRow* CFeatureCatalog::WritableRow(CDialogDeviceCallback::Lease& lease, size_t index,
                                         FeatureOutcome& outcome) {
    if (!m_built || !IsCurrent(lease) || !lease.NodeMap()) {
        outcome.message = "The camera is not available.";
        return nullptr;
    }
    if (index >= m_rows.size() || m_rows[index].isCategory) {
        outcome.message = "No feature is selected.";
        return nullptr;
    }
    FeatureRow& row = m_rows[index];
    try {
        row.access = row.node->GetAccessMode();
    } catch (const GenICam::GenericException& error) {
        outcome.message = error.GetDescription();
        return nullptr;
    }
    if (!IsWritable(row.access)) {
        outcome.message = row.name + " cannot be written now (access " + AccessModeName(row.access) + ").";
        return nullptr;
    }
    return &row;
}

FeatureOutcome CFeatureCatalog::WriteText(CDialogDeviceCallback::Lease& lease, size_t index,
                                          const std::string& text) {
    FeatureOutcome outcome;
    FeatureRow* row = WritableRow(lease, index, outcome);
    if (!row) {
        return outcome;
    }
    try {
        switch (row->kind) {
            case FeatureKind::Integer: {
                int64_t value = 0;
                if (!ParseInteger(text, value)) {
                    outcome.message = "'" + text + "' is not a whole number.";
                    break;
                }
                CIntegerPtr(row->node)->SetValue(value, true);
                outcome.succeeded = true;
                break;
            }
            case FeatureKind::Float: {
                double value = 0.0;
                if (!ParseFloat(text, value)) {
                    outcome.message = "'" + text + "' is not a number.";
                    break;
                }
                CFloatPtr(row->node)->SetValue(value, true);
                outcome.succeeded = true;
                break;
            }
            case FeatureKind::String:
            case FeatureKind::Other:
                CValuePtr(row->node)->FromString(GenICam::gcstring(text), true);
                outcome.succeeded = true;
                break;
            case FeatureKind::Enumeration:
                return WriteEntry(lease, index, text);
            default:
                outcome.message = row->name + " takes no text value.";
                break;
        }
    } catch (const GenICam::GenericException& error) {
        outcome.message = error.GetDescription();
    } catch (const std::exception& error) {
        outcome.message = error.what();
    }
    Refresh(lease, index);
    return outcome;
}

FeatureOutcome CFeatureCatalog::WriteEntry(CDialogDeviceCallback::Lease& lease, size_t index,
                                           const std::string& entry) {
    FeatureOutcome outcome;
    FeatureRow* row = WritableRow(lease, index, outcome);
    if (!row) {
        return outcome;
    }
    if (row->kind != FeatureKind::Enumeration) {
        outcome.message = row->name + " is not an enumeration.";
        return outcome;
    }
    try {
        CEnumerationPtr(row->node)->FromString(GenICam::gcstring(entry), true);
        outcome.succeeded = true;
    } catch (const GenICam::GenericException& error) {
        outcome.message = error.GetDescription();
    } catch (const std::exception& error) {
        outcome.message = error.what();
    }
    Refresh(lease, index);
    return outcome;
}

FeatureOutcome CFeatureCatalog::WriteBoolean(CDialogDeviceCallback::Lease& lease, size_t index, bool value) {
    FeatureOutcome outcome;
    FeatureRow* row = WritableRow(lease, index, outcome);
    if (!row) {
        return outcome;
    }
    if (row->kind != FeatureKind::Boolean) {
        outcome.message = row->name + " is not a boolean.";
        return outcome;
    }
    try {
        CBooleanPtr(row->node)->SetValue(value, true);
        outcome.succeeded = true;
    } catch (const GenICam::GenericException& error) {
        outcome.message = error.GetDescription();
    } catch (const std::exception& error) {
        outcome.message = error.what();
    }
    Refresh(lease, index);
    return outcome;
}

FeatureOutcome CFeatureCatalog::Execute(CDialogDeviceCallback::Lease& lease, size_t index) {
    FeatureOutcome outcome;
    FeatureRow* row = WritableRow(lease, index, outcome);
    if (!row) {
        return outcome;
    }
    if (row->kind != FeatureKind::Command) {
        outcome.message = row->name + " is not a command.";
        return outcome;
    }
    try {
        CCommandPtr(row->node)->Execute(true);
        outcome.succeeded = true;
    } catch (const GenICam::GenericException& error) {
        outcome.message = error.GetDescription();
    } catch (const std::exception& error) {
        outcome.message = error.what();
    }
    Refresh(lease, index);
    return outcome;
}

const char* CFeatureCatalog::KindName(FeatureKind kind) {
    switch (kind) {
        case FeatureKind::Integer:
            return "Integer";
        case FeatureKind::Float:
            return "Float";
        case FeatureKind::Boolean:
            return "Boolean";
        case FeatureKind::Enumeration:
            return "Enumeration";
        case FeatureKind::Command:
            return "Command";
        case FeatureKind::String:
            return "String";
        default:
            return "Value";
    }
}

std::string CFeatureCatalog::Describe(const FeatureRow& row) {
    if (row.isCategory) {
        return "Category " + row.displayName + "\r\n" + row.description;
    }
    std::string text = KindName(row.kind);
    if (row.hasRange && row.kind == FeatureKind::Integer) {
        text += "   Range: " + FormatInteger(row.integerMinimum) + " .. " + FormatInteger(row.integerMaximum);
        if (row.integerIncrement > 1) {
            text += ", increment " + FormatInteger(row.integerIncrement);
        }
    } else if (row.hasRange && row.kind == FeatureKind::Float) {
        text += "   Range: " + FormatFloat(row.floatMinimum) + " .. " + FormatFloat(row.floatMaximum);
    }
    if (!row.unit.empty()) {
        text += "   Unit: " + row.unit;
    }
    text += std::string("   Access: ") + AccessModeName(row.access);
    text += "\r\n" + row.displayName;
    if (!row.description.empty()) {
        text += ": " + row.description;
    }
    return text;
}
