#include "app/ConversionTask.h"

#include "app/FormatTable.h"
#include "app/Messages.h"
#include "engine/EncoderAvailable.h"
#include "engine/FFEncode.h"

bool OutputNameInUse(TCustomEncoder& encoder, const std::string& name)
{
    for (int32_t task = 0; task < encoder.GetTaskCount(); ++task) {
        TOutputOptions output;
        encoder.GetOutputOptions(task, 0, output);
        if (SameOutputName(output.FileName, name))
            return true;
    }
    return false;
}

TJobEnvironment MachineJobEnvironment(TCustomEncoder& encoder)
{
    TJobEnvironment environment;
    environment.ProcessorCount = GetProcessorCount();
    environment.AmrNbAvailable = EncoderAvailable(AmrEncoderName);
    environment.OutputNameInUse = [&encoder](const std::string& name) { return OutputNameInUse(encoder, name); };
    return environment;
}

std::string AddConversionTask(TCustomEncoder& encoder, const TCusOutputOptions& settings,
                              const TJobEnvironment& environment)
{
    TInputOptions input = BuildInputOptions(settings);
    TOutputOptions output = BuildOutputOptions(settings, environment);
    const int32_t task = encoder.AddTask(input.FileName, &input);
    if (task < 0)
        return MS_ErrorOpen + " " + encoder.LastErrorText;
    if (encoder.SetOutput(task, output.FileName, &output) < 0) {
        const std::string error = MS_ErrorCvt + " " + encoder.LastErrorText;
        encoder.RemoveTask(task);
        return error;
    }
    return {};
}
