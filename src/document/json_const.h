// The key names of the import document, shared letter for letter with the host that reads
// it. Four groups: the structure and the keys of the address (section 0), the order
// (section 1) and a part (section 2). Some names belong to more than one group.
#pragma once

#include <array>

namespace document::UJSONConst {
// The skeleton.
namespace Structure {
constexpr const char* Adress = "Adress";
constexpr const char* Order = "Order";
constexpr const char* Parts = "Parts";
inline constexpr std::array<const char*, 3> All = {
    Adress, Order, Parts,
};
}  // namespace Structure

// Section 0.
namespace Address {
constexpr const char* CustomerNumber = "CustomerNumber";
constexpr const char* AdressFull = "AdressFull";
constexpr const char* AdressSmart = "AdressSmart";
constexpr const char* Company = "Company";
constexpr const char* Salutation = "Salutation";
constexpr const char* Salutation1 = "Salutation1";
constexpr const char* Salutation2 = "Salutation2";
constexpr const char* FirstName = "FirstName";
constexpr const char* LastName = "LastName";
constexpr const char* Street = "Street";
constexpr const char* ZipCode = "ZipCode";
constexpr const char* Town = "Town";
constexpr const char* Country = "Country";
constexpr const char* AdressDeliverFull = "AdressDeliverFull";
constexpr const char* DeliverCompany = "DeliverCompany";
constexpr const char* DeliverSalutation1 = "DeliverSalutation1";
constexpr const char* DeliverSalutation2 = "DeliverSalutation2";
constexpr const char* DeliverFirstName = "DeliverFirstName";
constexpr const char* DeliverLastName = "DeliverLastName";
constexpr const char* DeliverStreet = "DeliverStreet";
constexpr const char* DeliverZipCode = "DeliverZipCode";
constexpr const char* DeliverTown = "DeliverTown";
constexpr const char* DeliverCountry = "DeliverCountry";
constexpr const char* Group = "Group";
constexpr const char* R1 = "R1";
constexpr const char* R2 = "R2";
constexpr const char* R3 = "R3";
constexpr const char* R4 = "R4";
constexpr const char* R5 = "R5";
constexpr const char* R6 = "R6";
constexpr const char* R7 = "R7";
constexpr const char* R8 = "R8";
constexpr const char* R9 = "R9";
constexpr const char* R10 = "R10";
constexpr const char* L1 = "L1";
constexpr const char* L2 = "L2";
constexpr const char* L3 = "L3";
constexpr const char* L4 = "L4";
constexpr const char* L5 = "L5";
constexpr const char* L6 = "L6";
constexpr const char* L7 = "L7";
constexpr const char* L8 = "L8";
constexpr const char* L9 = "L9";
constexpr const char* L10 = "L10";
inline constexpr std::array<const char*, 44> All = {
    CustomerNumber, AdressFull, AdressSmart, Company, Salutation, Salutation1, Salutation2,
    FirstName, LastName, Street, ZipCode, Town, Country, AdressDeliverFull, DeliverCompany,
    DeliverSalutation1, DeliverSalutation2, DeliverFirstName, DeliverLastName, DeliverStreet,
    DeliverZipCode, DeliverTown, DeliverCountry, Group, R1, R2, R3, R4, R5, R6, R7, R8, R9, R10, L1,
    L2, L3, L4, L5, L6, L7, L8, L9, L10,
};
}  // namespace Address

// Section 1.
namespace Order {
constexpr const char* Date = "Date";
constexpr const char* ID = "ID";
constexpr const char* UID = "UID";
constexpr const char* PrintName = "PrintName";
constexpr const char* InternalStatus = "InternalStatus";
constexpr const char* InternalType = "InternalType";
constexpr const char* Human_Creator = "Human.Creator";
constexpr const char* Human_Editor = "Human.Editor";
constexpr const char* UserName = "UserName";
constexpr const char* RessourceName = "RessourceName";
constexpr const char* Info1 = "Info1";
constexpr const char* Info2 = "Info2";
constexpr const char* Info3 = "Info3";
constexpr const char* Info4 = "Info4";
constexpr const char* Info5 = "Info5";
constexpr const char* Info6 = "Info6";
constexpr const char* Info7 = "Info7";
constexpr const char* Info8 = "Info8";
constexpr const char* Info9 = "Info9";
constexpr const char* Info10 = "Info10";
constexpr const char* Intern = "Intern";
constexpr const char* HeaderText = "HeaderText";
constexpr const char* ExHeader = "ExHeader";
constexpr const char* FooterText = "FooterText";
constexpr const char* ReferenzText = "ReferenzText";
constexpr const char* ReferenzDate = "ReferenzDate";
constexpr const char* NettoPrices = "NettoPrices";
inline constexpr std::array<const char*, 27> All = {
    Date, ID, UID, PrintName, InternalStatus, InternalType, Human_Creator, Human_Editor, UserName,
    RessourceName, Info1, Info2, Info3, Info4, Info5, Info6, Info7, Info8, Info9, Info10, Intern,
    HeaderText, ExHeader, FooterText, ReferenzText, ReferenzDate, NettoPrices,
};
}  // namespace Order

// Section 2.
namespace Part {
constexpr const char* CurrentRow = "CurrentRow";
constexpr const char* Position = "Position";
constexpr const char* Quantity = "Quantity";
constexpr const char* Unit = "Unit";
constexpr const char* Description1 = "Description1";
constexpr const char* Description2 = "Description2";
constexpr const char* Number = "Number";
constexpr const char* DeliverNumber = "DeliverNumber";
constexpr const char* SerialNumber = "SerialNumber";
constexpr const char* LongText = "LongText";
constexpr const char* Price = "Price";
constexpr const char* Rabatt = "Rabatt";
constexpr const char* TaxRate = "TaxRate";
constexpr const char* Total = "Total";
constexpr const char* TypLine = "TypLine";
constexpr const char* User = "User";
constexpr const char* Row = "Row";
constexpr const char* ID = "ID";
constexpr const char* Intern = "Intern";
constexpr const char* L2 = "L2";
inline constexpr std::array<const char*, 20> All = {
    CurrentRow, Position, Quantity, Unit, Description1, Description2, Number, DeliverNumber,
    SerialNumber, LongText, Price, Rabatt, TaxRate, Total, TypLine, User, Row, ID, Intern, L2,
};
}  // namespace Part

// The whole table of 94 names, group after group.
inline constexpr std::array<const char*, 94> Table = {
    Structure::Adress, Structure::Order, Structure::Parts, Address::CustomerNumber,
    Address::AdressFull, Address::AdressSmart, Address::Company, Address::Salutation,
    Address::Salutation1, Address::Salutation2, Address::FirstName, Address::LastName,
    Address::Street, Address::ZipCode, Address::Town, Address::Country, Address::AdressDeliverFull,
    Address::DeliverCompany, Address::DeliverSalutation1, Address::DeliverSalutation2,
    Address::DeliverFirstName, Address::DeliverLastName, Address::DeliverStreet,
    Address::DeliverZipCode, Address::DeliverTown, Address::DeliverCountry, Address::Group,
    Address::R1, Address::R2, Address::R3, Address::R4, Address::R5, Address::R6, Address::R7,
    Address::R8, Address::R9, Address::R10, Address::L1, Address::L2, Address::L3, Address::L4,
    Address::L5, Address::L6, Address::L7, Address::L8, Address::L9, Address::L10, Order::Date,
    Order::ID, Order::UID, Order::PrintName, Order::InternalStatus, Order::InternalType,
    Order::Human_Creator, Order::Human_Editor, Order::UserName, Order::RessourceName, Order::Info1,
    Order::Info2, Order::Info3, Order::Info4, Order::Info5, Order::Info6, Order::Info7,
    Order::Info8, Order::Info9, Order::Info10, Order::Intern, Order::HeaderText, Order::ExHeader,
    Order::FooterText, Order::ReferenzText, Order::ReferenzDate, Order::NettoPrices,
    Part::CurrentRow, Part::Position, Part::Quantity, Part::Unit, Part::Description1,
    Part::Description2, Part::Number, Part::DeliverNumber, Part::SerialNumber, Part::LongText,
    Part::Price, Part::Rabatt, Part::TaxRate, Part::Total, Part::TypLine, Part::User, Part::Row,
    Part::ID, Part::Intern, Part::L2,
};

// Keys the import writes that the host's table does not list.
namespace Import {
constexpr const char* Description = "Description";
constexpr const char* TaxImport = "TaxImport";
constexpr const char* UpdateParts = "UpdateParts";
constexpr const char* AppendMode = "AppendMode";
}  // namespace Import

}  // namespace document::UJSONConst
