#pragma once
// The end of a soak: every node read in full and compared with the ledger and with each other.

#include <QString>
#include <vector>

/// Prints, for every acknowledged or resolved-as-stored booking and class, how many rows hold it on
/// each node, the rows present on one node but not another, and the duplicates. Returns 0 when there
/// is no duplicate, no stored save missing on any node and no difference between nodes; 1 otherwise.
int checkNodes(const std::vector<int>& nodePorts, const QString& ledgerPath);
