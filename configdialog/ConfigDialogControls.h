// The feature dialog's child controls and the conventions of its list, for
// the dialog itself and for programs that drive it (tests, hosts).
//
// The list is a report-style list view with two columns, the feature's name
// as the camera's feature tree spells it (ExposureTimeAbs) and its current
// value as text. Each category the user level leaves something in is one row
// of its own (its display name, lParam kCategoryRowParam) followed by its
// features (lParam 0 or more, indented by one).
#pragma once

#include <windows.h>

// The list of features.
constexpr int kIdFeatureList = 2001;
// The value of an integer, float or string feature.
constexpr int kIdValueEdit = 2002;
// The entries of an enumeration (a drop-down list of symbolic names).
constexpr int kIdEnumCombo = 2003;
// The value of a boolean feature.
constexpr int kIdBoolCheck = 2004;
// "Apply" for a value, "Execute" for a command.
constexpr int kIdApplyButton = 2005;
// Type, range, unit, access mode and description of the selected feature.
constexpr int kIdInfoText = 2006;
// The outcome of the last action: the camera's reason when it refused a
// value, empty after a success.
constexpr int kIdStatusText = 2007;

// lParam of a category row of the list.
constexpr LPARAM kCategoryRowParam = -1;

// Interval in milliseconds at which the shown values and access modes are
// read again from the camera.
constexpr UINT kRefreshIntervalMs = 500;

// Window class of the dialog's own window (a child of the host's window).
constexpr wchar_t kConfigDialogClassName[] = L"OrelGenICamConfigDialog";
