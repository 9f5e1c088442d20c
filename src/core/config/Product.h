#pragma once

// The maker's web site: the help page and the add-ons page live there. One place to change it.
inline constexpr const char* kMakerHost = "meterlyn.darvelo.example";
inline constexpr const char* kHelpPath = "/products/meterlyn/2-0/help.php";
inline constexpr const char* kAddonsPath = "/products/meterlyn/2-0/addons.php";

// The product name: the application title and the display window's caption.
inline constexpr const char* kApplicationTitle = "Meterlyn";
