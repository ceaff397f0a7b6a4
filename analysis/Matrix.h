#pragma once
// Row-major matrix of doubles with stable row pointers.
//
// The views and exports address results as `m[row][column]` through plain
// `double**` (row = frame for spectra, row = harmonic for tracks), so the
// matrix keeps one contiguous block plus a table of row pointers into it.
// Rows never move once allocated; copying rebuilds the pointer table.

#include <cstddef>
#include <vector>

namespace sonvik {

class Matrix {
public:
    Matrix() = default;
    Matrix(int rows, int columns, double fill = 0.0) { reset(rows, columns, fill); }
    Matrix(const Matrix &other) : rows_(other.rows_), columns_(other.columns_), data_(other.data_) { bindRows(); }
    Matrix(Matrix &&other) noexcept = default;
    Matrix &operator=(const Matrix &other)
    {
        if (this != &other) {
            rows_ = other.rows_;
            columns_ = other.columns_;
            data_ = other.data_;
            bindRows();
        }
        return *this;
    }
    Matrix &operator=(Matrix &&other) noexcept = default;

    void reset(int rows, int columns, double fill = 0.0)
    {
        rows_ = rows > 0 ? rows : 0;
        columns_ = columns > 0 ? columns : 0;
        data_.assign(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(columns_), fill);
        bindRows();
    }

    int rows() const { return rows_; }
    int columns() const { return columns_; }
    bool empty() const { return rows_ == 0; }

    double *operator[](int row) { return rowPointers_[static_cast<std::size_t>(row)]; }
    const double *operator[](int row) const { return rowPointers_[static_cast<std::size_t>(row)]; }

    // For callers that keep the `double**` shape (views, table models, resynthesis).
    double **rowPointers() { return rowPointers_.data(); }
    const double *const *rowPointers() const { return rowPointers_.data(); }

private:
    void bindRows()
    {
        rowPointers_.resize(static_cast<std::size_t>(rows_));
        for (int r = 0; r < rows_; ++r)
            rowPointers_[static_cast<std::size_t>(r)] = data_.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(columns_);
    }

    int rows_ = 0;
    int columns_ = 0;
    std::vector<double> data_;
    std::vector<double *> rowPointers_;
};

} // namespace sonvik
