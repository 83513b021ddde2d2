// Rates the SI design day with the novaflux COM server through its type library (COM interop)
// and prints the wheel chosen and some results. RateDesignDay.exe MODEL rates that model of the
// enumeration Modelall instead, e.g. TXL_1400_Q_480_Condensation.
using System;
using System.Runtime.InteropServices;
using Novaflux_Q_480_Conden_3_5_17;

static class Program
{
    [STAThread]  // the server lives in a single-threaded apartment
    static int Main(string[] args)
    {
        var k = new KivClass();
        try
        {
            // Airflows in m3/h, temperatures in degrees C, RH in %.
            k.KivunitSI = true;
            k.KivinputSupplyAir = 10000;
            k.KivinputReturnAir = 9000;
            k.KivinputAltitude = 200;
            k.KivinputLeakagePressureDifference = 200;
            k.KivPurgeWithout = false;
            k.KivinputOAUnitDBTRH = true;
            k.KivinputRAUnitDBTRH = true;
            k.KivinputOAS_DBT = 35;
            k.KivinputOAS_RH = 40;
            k.KivinputOAW_DBT = -10;
            k.KivinputOAW_RH = 80;
            k.KivinputRaS_DBT = 24;
            k.KivinputRaS_RH = 50;
            k.KivinputRaW_DBT = 21;
            k.KivinputRaW_RH = 40;
            if (args.Length > 0)
            {
                k.KivinputModel = (Modelall)Enum.Parse(typeof(Modelall), args[0]);
                k.CalculateOutputModel();
            }
            else
            {
                k.CalculateOutput();
            }
            Console.WriteLine($"KivOutNOVAFLUXModel = {k.KivOutNOVAFLUXModel}");
            Console.WriteLine($"KivoutSaS_DBT = {k.KivoutSaS_DBT}");
            Console.WriteLine($"KivoutSaW_DBT = {k.KivoutSaW_DBT}");
            Console.WriteLine($"KivoutSaPDrop = {k.KivoutSaPDrop}");
            Console.WriteLine($"KivoutERWithWheelTotalWinter_KW = {k.KivoutERWithWheelTotalWinter_KW}");
            Console.WriteLine($"KivoutLeakageEatr = {k.KivoutLeakageEatr}");
            if (k.KivOutErrorCode != 0)
                Console.WriteLine($"warning {k.KivOutErrorCode}: {k.KivOutErrorMsg}");
            return 0;
        }
        catch (COMException e)
        {
            // The server fails with HRESULT 0x800A0000 + the component's failure number, the
            // number VBA shows as Err.Number; the message is the failure's text.
            Console.Error.WriteLine($"error {e.HResult & 0xFFFF}: {e.Message}");
            return 2;
        }
        catch (ArgumentException e)
        {
            Console.Error.WriteLine($"no such model: {e.Message}");
            return 1;
        }
        finally
        {
            Marshal.ReleaseComObject(k);
        }
    }
}
