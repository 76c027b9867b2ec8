// CFeatureCatalog: what the feature dialog shows of a camera's feature tree.
//
// Build walks the categories from "Root" and keeps, in tree order, each
// category that holds a feature visible at the user level, followed by those
// features; a feature shows when its visibility is at or below the level,
// an invisible one never. Each row remembers its node, and the catalogue the
// device generation it was built from: every later access goes through a
// lease of that same generation, so a node of a device that has gone is
// never touched. Every exception of the SDK ends here and becomes a message.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "configdialog/DialogDeviceCallback.h"
#include "quill/GenApi.h"

enum class FeatureKind { Integer, Float, Boolean, Enumeration, Command, String, Other };

struct FeatureRow {
    bool isCategory = false;
    std::string name;  // as the feature tree spells it
    std::string displayName;
    std::string description;
    std::string unit;
    FeatureKind kind = FeatureKind::Other;
    GenApi::EAccessMode access = GenApi::NI;
    // The value as the list shows it; empty when it cannot be read.
    std::string valueText;
    bool booleanValue = false;
    // Integer range, float range: valid when hasRange.
    bool hasRange = false;
    int64_t integerMinimum = 0, integerMaximum = 0, integerIncrement = 1;
    double floatMinimum = 0.0, floatMaximum = 0.0;
    // Symbolic names of the enumeration's entries at the user level.
    std::vector<std::string> entries;
    GenApi::INode* node = nullptr;
};

// The outcome of a write or a command: empty message on success.
struct FeatureOutcome {
    bool succeeded = false;
    std::string message;
};

class CFeatureCatalog {
  public:
    CFeatureCatalog() = default;

    // Rebuilds from the leased device at the user level (a GenApi
    // visibility). False, with no rows, when there is no usable device.
    bool Build(CDialogDeviceCallback::Lease& lease, GenApi::EVisibility level);
    void Clear();

    const std::vector<FeatureRow>& Rows() const { return m_rows; }
    // Whether the rows still belong to the leased device (or to its absence).
    bool IsCurrent(CDialogDeviceCallback::Lease& lease) const;
    // The row of a feature by name, or -1.
    int Find(const std::string& name) const;

    // Reads access mode, value and range of a feature row again. True when
    // something shown changed. False (nothing changed) when the rows are
    // not current.
    bool Refresh(CDialogDeviceCallback::Lease& lease, size_t index);

    // Writes text (integer, float, string), an entry (enumeration) or a state
    // (boolean), or executes a command; the row is read again afterwards, so
    // a refused value shows the camera's own value.
    FeatureOutcome WriteText(CDialogDeviceCallback::Lease& lease, size_t index, const std::string& text);
    FeatureOutcome WriteEntry(CDialogDeviceCallback::Lease& lease, size_t index, const std::string& entry);
    FeatureOutcome WriteBoolean(CDialogDeviceCallback::Lease& lease, size_t index, bool value);
    FeatureOutcome Execute(CDialogDeviceCallback::Lease& lease, size_t index);

    // The info line of a row: type, range, unit, access mode, description.
    static std::string Describe(const FeatureRow& row);
    static const char* KindName(FeatureKind kind);

  private:
    void Walk(GenApi::INode* category, GenApi::EVisibility level, std::vector<GenApi::INode*>& visited);
    void AddFeature(GenApi::INode* node, GenApi::EVisibility level);
    // With the lease held and the rows current: the row's node, checked.
    FeatureRow* WritableRow(CDialogDeviceCallback::Lease& lease, size_t index, FeatureOutcome& outcome);
    void ReadRow(FeatureRow& row);

    std::vector<FeatureRow> m_rows;
    uint32_t m_generation = 0;
    bool m_built = false;
};
