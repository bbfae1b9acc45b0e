// A host built against the installed module: it finds the package, links the module and the
// dataset library, and uses both.
#include "zel/Pkg_zel.h"

#include <cstdio>

int main()
{
    Initialize();
    const PackageInfoTable* table = GetPackageInfoTable();
    zel::DataSet sale({zel::FieldDef{"NMPRODUTO", zel::FieldType::String, 40}});
    sale.createDataSet();
    sale.append();
    sale.fieldByName("NMPRODUTO").setString("CAFE");
    sale.post();
    std::printf("units=%d first=%s rows=%d\n", table->UnitCount, table->UnitInfo[0].UnitName,
                sale.recordCount());
    Finalize();
    return 0;
}
