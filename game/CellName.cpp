#include "CellName.h"

#include "TextUtilities.h"

#include <cstdlib>
#include <vector>

namespace MyGame {

using TorUtility::ToText;

namespace {

constexpr char separator[] = ";";

int Number(const std::vector<std::string>& fields, std::size_t index)
{
    return index < fields.size() ? std::atoi(fields[index].c_str()) : -1;
}

}

CellName ReadCellName(const std::string& name)
{
    const std::vector<std::string> fields = TorUtility::Split(name, separator);
    return CellName{.kind = fields.empty() ? std::string() : fields.front(),
                    .flag = Number(fields, 1),
                    .column = Number(fields, 2),
                    .row = Number(fields, 3),
                    .ship = Number(fields, 4)};
}

std::string BoardCellName(std::string_view kind, bool hasShip, int column, int row, int ship)
{
    return std::string(kind) + separator + (hasShip ? "1" : "0") + separator + ToText(column) + separator +
           ToText(row) + separator + ToText(hasShip ? ship : -1);
}

std::string ShipPictureName(int number)
{
    return std::string(ShipPictureKind) + separator + ToText(number);
}

char ColumnLetter(int column)
{
    return static_cast<char>('@' + column);
}

std::string CellCoordinates(int column, int row)
{
    return ColumnLetter(column) + ToText(row);
}

}
