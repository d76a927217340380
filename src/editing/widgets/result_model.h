#pragma once
// The item model of the search result list: one row per point found, four columns (name,
// relevance marks, category icon, zone icon), sorted by any column on request.

#include "editing/search_engine.h"

#include <QAbstractItemModel>
#include <QPixmap>

#include <vector>

class TResultModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // `icons`: the tree icons, owned by the main window.
    explicit TResultModel(const std::vector<QPixmap>& icons, QObject* parent = nullptr);

    const std::vector<rSearchResult>& rows() const { return rows_; }
    // The rows of a search, which may be none.
    void set_rows(std::vector<rSearchResult> rows);
    // No search listed.
    void clear();
    bool listed() const { return listed_; }
    // Removes the first row of the node; false when no row has it.
    bool remove(const TreeNode* node);
    // The point of a row, null for an invalid index.
    TreeNode* node_at(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // The header has no captions, only its sort glyphs.
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    const std::vector<QPixmap>& icons_;
    std::vector<rSearchResult> rows_;
    bool listed_ = false;
};
